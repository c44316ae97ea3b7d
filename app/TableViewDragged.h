#pragma once

#include <QHash>
#include <QTableView>

class QMimeData;

// The download list's table: whole rows, several at a time, fixed row
// height for the cover and buttons; a right click selects the row under the
// pointer before its menu is asked for, so the menu acts on what was
// clicked. Columns are as wide as the list: a border dragged moves between
// its two columns, and the title takes up changes of the list's width. Text or links dropped on it are announced with
// "YoutubeAddURLFromPasteboard" (their link lines); a double click beside
// the row's buttons with "NotificationYoutubeTableViewDblClick".
class TableViewDragged final : public QTableView
{
    Q_OBJECT

public:
    static constexpr int RowHeight = 64;

    explicit TableViewDragged(QWidget *parent = nullptr);

    static constexpr int StatusWidth = 300;
    static constexpr int OperationsWidth = 120;

    // Column widths and resize modes, once a model is set.
    void setUpColumns();
    // A column narrowed by hand, or by the list's width, stops at its least
    // width (the header's least where none is set).
    void setColumnMinimum(int column, int width) { m_columnMinimums.insert(column, width); }
    int columnMinimum(int column) const;

    // The link lines a drag carries: of its text, else of its addresses (a
    // link dragged from a browser comes as both).
    static QStringList linksOf(const QMimeData &data);

    // The row that keys act on: the current one when it is highlighted,
    // else the first highlighted; -1 when none is.
    int highlightedRow() const;

Q_SIGNALS:
    void rowMenuRequested(int row, QPoint globalPosition);
    // A drop whose text held lines that are no links, besides links.
    void linesLeftOut(int lines);
    // The selected rows were dragged to stand before `row` (the row count
    // for the end).
    void rowsDropped(int row);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;

private:
    void judgeDrag(QDragMoveEvent &event);
    void columnResized(int column);
    // `absorbing` takes what the other columns leave of the list's width.
    void fitColumns(int absorbing, int dragged = -1);

    bool m_fitting = false;
    QHash<int, int> m_columnMinimums;
};
