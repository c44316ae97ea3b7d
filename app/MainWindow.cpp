#include "MainWindow.h"

#include "AppController.h"
#include "ColumnMinimums.h"
#include "LanguageController.h"
#include "QtTranslations.h"
#include "RowModel.h"
#include "RowsAccessible.h"
#include "StringUtils.h"
#include "TableViewDragged.h"
#include "YoutubeProgramPreferences.h"
#include "ui_MainWindow.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>

namespace {

// The list's rows hold painted buttons that Qt's own table does not know.
QAccessibleInterface *rowsAccessible(const QString &, QObject *object)
{
    auto *list = qobject_cast<TableViewDragged *>(object);
    return list ? new RowsAccessible(*list) : nullptr;
}

} // namespace

MainWindow::MainWindow(YoutubeProgramPreferences &preferences, QWidget *parent)
    : QMainWindow(parent), m_preferences(preferences), m_ui(std::make_unique<Ui::MainWindow>())
{
    // Before anything of Qt's that reads a text is made, and before a row's
    // thread can quote a network reason.
    QtTranslations::install();
    QAccessible::installFactory(rowsAccessible);
    m_ui->setupUi(this);
    m_controller = std::make_unique<AppController>(*m_ui, preferences);
    LanguageController(*this, &m_controller->model()).fillMainWindowLanguageStrings();
    connectWindowCommands();
    setSmallestSize();
    restoreShape();
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

// At its smallest the window shows every control whole, and two rows of the
// list with the columns at their first widths, the title at its least: the
// list asks the layout for that much.
void MainWindow::setSmallestSize()
{
    TableViewDragged *table = m_ui->tableView;
    table->setColumnMinimum(RowModel::TitleColumn, ColumnMinimums::title(table->font()));
    table->setColumnMinimum(RowModel::StatusColumn, ColumnMinimums::status(table->font()));
    const QHeaderView *header = table->horizontalHeader();
    int columns = 0;
    for (int column = 0; column < header->count(); ++column)
        columns += column == RowModel::TitleColumn ? table->columnMinimum(column) : header->sectionSize(column);
    const int frame = 2 * table->frameWidth();
    const int scrollBar = table->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table);
    table->setMinimumSize(columns + frame + scrollBar,
                          header->sizeHint().height() + 2 * TableViewDragged::RowHeight + frame);
}

// Where the window stands is the window manager's business.
void MainWindow::restoreShape()
{
    const YoutubeProgramPreferences::WindowShape shape = m_preferences.windowShape();
    if (!shape.size.isEmpty())
        resize(shape.size.boundedTo(screen()->availableSize()));
    if (shape.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    if (!shape.columns.isEmpty())
        m_ui->tableView->horizontalHeader()->restoreState(shape.columns);
}

void MainWindow::keepShape()
{
    // A maximized window keeps the size it comes back to.
    const QSize normal = isMaximized() ? normalGeometry().size() : size();
    m_preferences.keepWindowShape({.size = normal.isEmpty() ? m_preferences.windowShape().size : normal,
                                   .maximized = isMaximized(),
                                   .columns = m_ui->tableView->horizontalHeader()->saveState()});
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    keepShape();
    m_controller->shutdown();
    event->accept();
}
