#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

#include <memory>

class ItemRowViews;
class QAbstractItemView;
class YoutubeDownloader;

// Paints every cell of the download list (cover, title with the menu button,
// status, buttons with progress bar) and turns clicks on the painted buttons
// into the item's operations. Painting never changes layout or state; the
// buttons are where the geometry of the row's views puts them.
class RowDelegate final : public QStyledItemDelegate
{
public:
    // Watches `view`'s viewport for the pointer, to light the button under it.
    explicit RowDelegate(QAbstractItemView &view);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // A button of a row: one of YoutubeOperationsView's, or the menu button.
    static constexpr int MenuButton = -1;
    static constexpr int NoButton = -2;
    // The button of `index`'s cell under `point` (cell coordinates).
    static int buttonAt(const QModelIndex &index, QPoint point, QSize cell);

private:
    struct Target
    {
        QPersistentModelIndex index;
        int button = NoButton;
        bool operator==(const Target &) const = default;
    };

    Target targetAt(QPoint viewportPoint) const;
    void setHover(const Target &target);
    void press(const Target &target);
    static std::shared_ptr<YoutubeDownloader> itemOf(const QModelIndex &index);
    static std::shared_ptr<ItemRowViews> viewsOf(const YoutubeDownloader &item);

    QAbstractItemView &m_view;
    Target m_hover;
    Target m_pressed;
};
