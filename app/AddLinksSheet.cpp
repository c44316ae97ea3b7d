#include "AddLinksSheet.h"

#include "StringUtils.h"
#include "SourceLinks.h"
#include "ui_AddLinksSheet.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int TextPointSize = 14;

} // namespace

AddLinksSheet::AddLinksSheet(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::AddLinksSheet>())
{
    m_ui->setupUi(this);
    setWindowModality(Qt::WindowModal);
    // The help above the text area reads as part of the sheet, not as input.
    m_ui->textViewAddDescription->viewport()->setAutoFillBackground(false);
    QFont font = m_ui->newAddedURLS->font();
    font.setBold(true);
    font.setPointSize(TextPointSize);
    m_ui->newAddedURLS->setFont(font);
    connect(m_ui->newAddedURLS, &QPlainTextEdit::textChanged, this, &AddLinksSheet::tellLinesLeftOut);
    connect(m_ui->btnAddURL, &QPushButton::clicked, this, &QDialog::accept);
    connect(this, &QDialog::accepted, this,
            [this] { Q_EMIT linksAdded(StringUtils::parseStringList(text(), u"\n"_s)); });
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
    const qsizetype lines = SourceLinks::countOfLinesNotLinks(text());
    m_ui->txtLinesLeftOut->setText(lines == 0   ? QString()
                                   : lines == 1 ? StringUtils::langStr(242)
                                                : StringUtils::langStr(243).arg(lines));
}

QString AddLinksSheet::text() const
{
    return m_ui->newAddedURLS->toPlainText();
}
