#include "AddLinksSheet.h"

#include "DownloadList.h"
#include "SkippedLines.h"
#include "SourceLinks.h"
#include "StringUtils.h"
#include "ui_AddLinksSheet.h"

using namespace Qt::Literals::StringLiterals;

AddLinksSheet::AddLinksSheet(const DownloadList &list, QWidget *parent)
    : QDialog(parent), m_list(list), m_ui(std::make_unique<Ui::AddLinksSheet>())
{
    m_ui->setupUi(this);
    setWindowModality(Qt::WindowModal);
    // The help above the text area reads as part of the sheet, not as input.
    m_ui->textViewAddDescription->viewport()->setAutoFillBackground(false);
    connect(m_ui->newAddedURLS, &QPlainTextEdit::textChanged, this, &AddLinksSheet::tellLinesLeftOut);
    connect(m_ui->btnAddURL, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->btnCancelAddURL, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::accepted, this, [this] { Q_EMIT linksAdded(text()); });
}

AddLinksSheet::~AddLinksSheet() = default;

void AddLinksSheet::start(const QString &clipboardText)
{
    QString links;
    for (const QString &link : SourceLinks::linksFromText(clipboardText))
        links += link + u'\n';
    m_ui->newAddedURLS->setPlainText(links);
    m_ui->newAddedURLS->moveCursor(QTextCursor::End);
    m_ui->newAddedURLS->setFocus();
    open();
}

// Said while the user types, before Add: the lines that will not be taken.
void AddLinksSheet::tellLinesLeftOut()
{
    const qsizetype listed = m_list.countListed(StringUtils::parseStringList(text(), u"\n"_s));
    m_ui->txtLinesLeftOut->setText(SkippedLines::text(SourceLinks::countOfLinesNotLinks(text()), listed, false));
}

QString AddLinksSheet::text() const
{
    return m_ui->newAddedURLS->toPlainText();
}
