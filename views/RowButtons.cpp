#include "RowButtons.h"

#include <QPainter>
#include <QStyleOptionViewItem>
#include <QWidget>

#include <array>

using namespace Qt::Literals::StringLiterals;

QIcon RowButtons::icon(Kind kind)
{
    static const std::array<QIcon, 8> icons = [] {
        std::array<QIcon, 8> loaded;
        const char16_t *names[] = {u"stop", u"refresh", u"pause", u"resume", u"play", u"action", u"add", u"remove"};
        for (std::size_t i = 0; i < loaded.size(); ++i) {
            for (const int size : {16, 24, 32})
                loaded.at(i).addFile(u":/icons/%1-%2.png"_s.arg(QString::fromUtf16(names[i])).arg(size));
        }
        return loaded;
    }();
    return icons.at(kind);
}

void RowButtons::paint(QPainter &painter, const QStyleOptionViewItem &cell, QRect rect, Kind kind, bool hovered,
                       bool pressed)
{
    if (!cell.widget)
        return;
    QStyleOptionToolButton button;
    button.initFrom(cell.widget);
    button.rect = rect.translated(cell.rect.topLeft());
    button.palette = cell.palette;
    button.icon = icon(kind);
    button.iconSize = QSize(16, 16);
    button.toolButtonStyle = Qt::ToolButtonIconOnly;
    // The button part alone: left at its default, the style adds the part of
    // a button with a menu, and draws that arrow instead of the icon.
    button.subControls = QStyle::SC_ToolButton;
    button.activeSubControls = hovered ? QStyle::SC_ToolButton : QStyle::SC_None;
    button.features = QStyleOptionToolButton::None;
    button.state = QStyle::State_Enabled | QStyle::State_AutoRaise;
    if (hovered)
        button.state |= QStyle::State_MouseOver | QStyle::State_Raised;
    if (hovered && pressed)
        button.state |= QStyle::State_Sunken;
    cell.widget->style()->drawComplexControl(QStyle::CC_ToolButton, &button, &painter, cell.widget);
}
