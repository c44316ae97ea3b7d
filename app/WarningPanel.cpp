#include "WarningPanel.h"

#include "RowButtons.h"
#include "StringUtils.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// A warm tint of the theme's own background, so that the text keeps the
// theme's contrast in light and dark themes alike.
QColor tinted(const QColor &background)
{
    const QColor amber(0xf0, 0xa0, 0x20);
    const auto mix = [](int a, int b) { return (a * 3 + b) / 4; };
    return QColor(mix(background.red(), amber.red()), mix(background.green(), amber.green()),
                  mix(background.blue(), amber.blue()));
}

} // namespace

WarningPanel::WarningPanel(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    hide();
}

void WarningPanel::setWarning(const QString &name, const QString &text, const QString &toolTip, Dismiss dismiss)
{
    QWidget *&row = m_rows[name];
    if (!row)
        row = makeRow(name, dismiss);
    auto *label = row->findChild<QLabel *>(u"text"_s);
    label->setText(text);
    label->setToolTip(toolTip);
    row->show();
    show();
}

void WarningPanel::clearWarning(const QString &name)
{
    if (QWidget *row = m_rows.value(name))
        row->hide();
    setVisible(std::any_of(m_rows.cbegin(), m_rows.cend(), [](const QWidget *row) { return !row->isHidden(); }));
}

QWidget *WarningPanel::makeRow(const QString &name, Dismiss dismiss)
{
    auto *row = new QFrame(this);
    row->setObjectName(name);
    row->setFrameShape(QFrame::StyledPanel);
    row->setAutoFillBackground(true);
    QPalette palette = row->palette();
    palette.setColor(QPalette::Window, tinted(palette.color(QPalette::Window)));
    row->setPalette(palette);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(6, 3, 3, 3);
    auto *icon = new QLabel(row);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(iconSize));
    layout->addWidget(icon);
    auto *text = new QLabel(row);
    text->setObjectName(u"text"_s);
    text->setWordWrap(true);
    layout->addWidget(text, 1);
    if (dismiss == Dismiss::ByUser) {
        auto *close = new QToolButton(row);
        close->setObjectName(u"dismiss"_s);
        close->setAutoRaise(true);
        // The cross that closes the quick options too.
        close->setIcon(RowButtons::icon(RowButtons::Stop));
        close->setAccessibleName(StringUtils::langStr(261));
        close->setToolTip(StringUtils::langStr(261));
        close->setFocusPolicy(Qt::StrongFocus);
        connect(close, &QToolButton::clicked, this, [this, name] { clearWarning(name); });
        layout->addWidget(close);
    }
    this->layout()->addWidget(row);
    return row;
}
