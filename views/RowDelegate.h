#pragma once

#include "YoutubeOperationsView.h"

#include <QElapsedTimer>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

#include <functional>
#include <memory>
#include <optional>

class StyledText;
class QAbstractItemView;
class QMouseEvent;
class YoutubeDownloader;

// Paints every cell of the download list (cover, title with the menu button,
// status, buttons with progress bar), turns clicks on the painted buttons
// into presses for whoever acts on the list, tells what each button does
// in a tooltip, and tells a screen reader when the current row's status
// moves on.
// Painting never changes layout or state; the buttons are where the geometry
// of the row's views puts them.
class RowDelegate final : public QStyledItemDelegate
{
public:
    // Watches `view`'s viewport for the pointer, to light the button under it,
    // and its model, to keep an open tooltip true to its row.
    explicit RowDelegate(QAbstractItemView &view);

    // A click on a row's button: one of YoutubeOperationsView's, or MenuButton.
    using Press = std::function<void(const std::shared_ptr<YoutubeDownloader> &item, int button)>;
    void setPressHandler(Press press) { m_press = std::move(press); }
    // As a click on `button` of `index`'s row.
    void pressButton(const QModelIndex &index, int button);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // A button of a row: one of YoutubeOperationsView's, or the menu button.
    static constexpr int MenuButton = -1;
    static constexpr int NoButton = -2;
    struct Hit
    {
        int button = NoButton;
        QRect rect; // cell coordinates
    };
    // The buttons `index`'s cell shows, in the order they are painted.
    static QList<Hit> buttonsOf(const QModelIndex &index, QSize cell);
    // The button of `index`'s cell under `point` (cell coordinates).
    static Hit buttonAt(const QModelIndex &index, QPoint point, QSize cell);
    // The lines a status cell shows of `text`.
    static QStringList statusLines(const QFont &font, const StyledText &text, QRect cell);
    // The run's progress, once one began.
    static std::optional<YoutubeOperationsView::Progress> progressOf(const QModelIndex &index);

private:
    struct Target
    {
        QPersistentModelIndex index;
        int button = NoButton;
        bool operator==(const Target &) const = default;
    };

    void paintFocus(QPainter &painter, const QStyleOptionViewItem &cell, const QModelIndex &index) const;
    Target targetAt(QPoint viewportPoint) const;
    void setHover(const Target &target);
    bool isSecondClick(const QMouseEvent &event) const;
    void showToolTip();
    void rowsChanged(const QModelIndex &first, const QModelIndex &last);
    void followToolTip();
    void rememberStatus(const QModelIndex &current);
    void announceStatus(const QModelIndex &first, const QModelIndex &last);
    static std::shared_ptr<YoutubeDownloader> itemOf(const QModelIndex &index);

    QAbstractItemView &m_view;
    Press m_press;
    Target m_hover;
    Target m_pressed;
    QElapsedTimer m_lastClick;
    QPoint m_lastClickPosition;
    // Where the open tooltip was asked for, in the viewport.
    QPersistentModelIndex m_toolTipIndex;
    QPoint m_toolTipPosition;
    QPoint m_toolTipGlobalPosition;
    QString m_toolTipText;
    // The current row's status cell, and the status a screen reader knows.
    struct Spoken
    {
        QPersistentModelIndex cell;
        QVariant status;
    };
    Spoken m_spoken;
};
