#include "RowButtons.h"

#include <QPainter>
#include <QStyleOptionViewItem>
#include <QWidget>

#include <array>

using namespace Qt::Literals::StringLiterals;

QIcon RowButtons::icon(Kind kind)
{
    static const std::array<QIcon, 7> icons = [] {
        const auto load = [](const QString &themeName, const QString &fallback) {
            return QIcon::fromTheme(themeName, QIcon(u":/icons/%1.png"_s.arg(fallback)));
        };
        return std::array<QIcon, 7>{
            load(u"process-stop"_s, u"stop"_s),
            load(u"view-refresh"_s, u"refresh"_s),
            load(u"media-playback-pause"_s, u"pause"_s),
            load(u"media-playback-start"_s, u"play"_s),
            load(u"emblem-system"_s, u"action"_s),
            load(u"list-add"_s, u"add"_s),
            load(u"list-remove"_s, u"remove"_s),
        };
    }();
    return icons.at(kind);
}

void RowButtons::paint(QPainter &painter, const QStyleOptionViewItem &cell, QRect rect, Kind kind, bool hovered,
                       bool pressed)
{
    if (!cell.widget)
        return;
    QStyleOptionToolButton button;
    button.rect = rect.translated(cell.rect.topLeft());
    button.palette = cell.palette;
    button.icon = icon(kind);
    button.iconSize = QSize(16, 16);
    button.toolButtonStyle = Qt::ToolButtonIconOnly;
    button.state = QStyle::State_Enabled | QStyle::State_AutoRaise;
    if (hovered)
        button.state |= QStyle::State_MouseOver | QStyle::State_Raised;
    if (hovered && pressed)
        button.state |= QStyle::State_Sunken;
    cell.widget->style()->drawComplexControl(QStyle::CC_ToolButton, &button, &painter, cell.widget);
}
