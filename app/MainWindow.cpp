#include "MainWindow.h"

#include "AppController.h"
#include "LanguageController.h"
#include "RowsAccessible.h"
#include "StringUtils.h"
#include "TableViewDragged.h"
#include "ui_MainWindow.h"

#include <QCloseEvent>
#include <QMessageBox>

namespace {

// The list's rows hold painted buttons that Qt's own table does not know.
QAccessibleInterface *rowsAccessible(const QString &, QObject *object)
{
    auto *list = qobject_cast<TableViewDragged *>(object);
    return list ? new RowsAccessible(*list) : nullptr;
}

} // namespace

MainWindow::MainWindow(YoutubeProgramPreferences &preferences, QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::MainWindow>())
{
    QAccessible::installFactory(rowsAccessible);
    m_ui->setupUi(this);
    m_controller = std::make_unique<AppController>(*m_ui, preferences);
    LanguageController(*this, &m_controller->model()).fillMainWindowLanguageStrings();
    connectWindowCommands();
}

MainWindow::~MainWindow()
{
    // The controller stops the items while the widgets they draw into exist.
    m_controller.reset();
}

void MainWindow::connectWindowCommands()
{
    for (QAction *close : {m_ui->miFileClose, m_ui->miQuit})
        connect(close, &QAction::triggered, this, &QWidget::close);
    connect(m_ui->miMinimize, &QAction::triggered, this, &QWidget::showMinimized);
    connect(m_ui->miZoom, &QAction::triggered, this,
            [this] { isMaximized() ? showNormal() : showMaximized(); });
    m_ui->miShowToolBar->setChecked(true);
    connect(m_ui->miShowToolBar, &QAction::toggled, m_ui->toolBar, &QToolBar::setVisible);
    connect(m_ui->miAbout, &QAction::triggered, this, [this] {
        QMessageBox::about(this, m_ui->miAbout->text(),
                           StringUtils::langStr(1) + u' ' + QCoreApplication::applicationVersion());
    });
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_controller->shutdown();
    event->accept();
}
