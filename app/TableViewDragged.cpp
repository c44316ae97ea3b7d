#include "TableViewDragged.h"

#include "NotificationCenter.h"
#include "RowDelegate.h"
#include "RowModel.h"
#include "YoutubeConstants.h"
#include "SourceLinks.h"
#include "YoutubeOperationsView.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

TableViewDragged::TableViewDragged(QWidget *parent)
    : QTableView(parent)
{
    setSelectionBehavior(SelectRows);
    setSelectionMode(ExtendedSelection);
    setEditTriggers(NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setVerticalScrollMode(ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    // Rows dragged within the list move there.
    setDragEnabled(true);
    // Tab goes on to the next control; the arrows move within the list.
    setTabKeyNavigation(false);
}

void TableViewDragged::setUpColumns()
{
    QHeaderView *header = horizontalHeader();
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    // Room for two row buttons, and for a few words of a title or status.
    header->setMinimumSectionSize(2 * YoutubeOperationsView::ButtonSize + 16);
    header->setSectionResizeMode(RowModel::CoverColumn, QHeaderView::Fixed);
    header->resizeSection(RowModel::CoverColumn, RowHeight * 4 / 3 + 4);
    header->resizeSection(RowModel::StatusColumn, StatusWidth);
    header->resizeSection(RowModel::OperationsColumn, OperationsWidth);
    connect(header, &QHeaderView::sectionResized, this, [this](int column) { columnResized(column); });
    fitColumns(RowModel::TitleColumn);
}

int TableViewDragged::columnMinimum(int column) const
{
    return std::max(horizontalHeader()->minimumSectionSize(), m_columnMinimums.value(column));
}

void TableViewDragged::columnResized(int column)
{
    if (m_fitting)
        return;
    if (horizontalHeader()->sectionSize(column) < columnMinimum(column)) {
        m_fitting = true;
        horizontalHeader()->resizeSection(column, columnMinimum(column));
        m_fitting = false;
    }
    // The right border of the last column is the list's edge: the title
    // gives or takes there.
    const bool last = column + 1 >= horizontalHeader()->count();
    fitColumns(last ? RowModel::TitleColumn : column + 1, column);
}

void TableViewDragged::fitColumns(int absorbing, int dragged)
{
    QHeaderView *header = horizontalHeader();
    if (absorbing >= header->count())
        return;
    int others = 0;
    for (int column = 0; column < header->count(); ++column)
        others += column == absorbing ? 0 : header->sectionSize(column);
    const int minimum = columnMinimum(absorbing);
    const int width = viewport()->width() - others;
    m_fitting = true;
    // A border dragged further than the next column can give stops there.
    if (width < minimum && dragged >= 0 && dragged != absorbing)
        header->resizeSection(dragged, std::max(columnMinimum(dragged), header->sectionSize(dragged) - (minimum - width)));
    header->resizeSection(absorbing, std::max(minimum, width));
    m_fitting = false;
}

void TableViewDragged::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    // The focus frame goes round whole rows: both rows are drawn anew.
    for (const QModelIndex &index : {current, previous}) {
        if (index.isValid())
            viewport()->update(QRect(0, visualRect(index).y(), viewport()->width(), rowHeight(index.row())));
    }
}

bool TableViewDragged::viewportEvent(QEvent *event)
{
    // The viewport also narrows when the vertical scroll bar appears.
    if (event->type() == QEvent::Resize)
        fitColumns(RowModel::TitleColumn);
    return QTableView::viewportEvent(event);
}

// A key that moves the current row selects where it lands, Ctrl held or
// not: what Return, Space and the menu key act on is what shows highlighted.
// Shift still extends.
QItemSelectionModel::SelectionFlags TableViewDragged::selectionCommand(const QModelIndex &index,
                                                                       const QEvent *event) const
{
    const QItemSelectionModel::SelectionFlags flags = QTableView::selectionCommand(index, event);
    if (!event || event->type() != QEvent::KeyPress || flags != QItemSelectionModel::NoUpdate)
        return flags;
    const auto *press = static_cast<const QKeyEvent *>(event);
    static constexpr Qt::Key Moves[] = {Qt::Key_Up,   Qt::Key_Down,   Qt::Key_Home,
                                        Qt::Key_End,  Qt::Key_PageUp, Qt::Key_PageDown};
    if (std::find(std::begin(Moves), std::end(Moves), press->key()) == std::end(Moves))
        return flags;
    return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

int TableViewDragged::highlightedRow() const
{
    const int current = currentIndex().row();
    if (current >= 0 && selectionModel()->isRowSelected(current, QModelIndex()))
        return current;
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    return std::min_element(rows.cbegin(), rows.cend(), [](const QModelIndex &a, const QModelIndex &b) {
               return a.row() < b.row();
           })->row();
}

void TableViewDragged::contextMenuEvent(QContextMenuEvent *event)
{
    // From the keyboard the menu is the highlighted row's, shown on that row.
    const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
    const QModelIndex index = keyboard ? model()->index(highlightedRow(), RowModel::TitleColumn) : indexAt(event->pos());
    if (!index.isValid())
        return;
    scrollTo(index);
    if (!selectionModel()->isRowSelected(index.row(), QModelIndex()))
        selectRow(index.row());
    setCurrentIndex(index);
    const QPoint position =
        keyboard ? viewport()->mapToGlobal(visualRect(index).center()) : event->globalPos();
    Q_EMIT rowMenuRequested(index.row(), position);
}

// Files from a file manager come as file:// addresses, links from a
// browser as text or as addresses.
QStringList TableViewDragged::linksOf(const QMimeData &data)
{
    QStringList links;
    if (data.hasText())
        links = SourceLinks::linksFromText(data.text());
    if (links.isEmpty() && data.hasUrls()) {
        QStringList addresses;
        for (const QUrl &url : data.urls())
            addresses.append(url.toString());
        links = SourceLinks::linksFromText(addresses.join(u'\n'));
    }
    return links;
}

void TableViewDragged::judgeDrag(QDragMoveEvent &event)
{
    if (event.source() == this) {
        event.setDropAction(Qt::MoveAction);
        event.accept();
        return;
    }
    if (linksOf(*event.mimeData()).isEmpty()) {
        event.ignore();
        return;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
}

void TableViewDragged::dragEnterEvent(QDragEnterEvent *event)
{
    judgeDrag(*event);
}

void TableViewDragged::dragMoveEvent(QDragMoveEvent *event)
{
    judgeDrag(*event);
}

void TableViewDragged::dropEvent(QDropEvent *event)
{
    if (event->source() == this) {
        // The list moves them; the view takes out nothing itself.
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        const int row = indexAt(event->position().toPoint()).row();
        Q_EMIT rowsDropped(row < 0 ? model()->rowCount() : row);
        return;
    }
    const QStringList links = linksOf(*event->mimeData());
    if (links.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    NotificationCenter::defaultCenter().post(YOUTUBE_ADD_URLS_FROM_CLIPBOARD.toString(), this,
                                             {{YOUTUBE_ADD_URLS_FROM_CLIPBOARD_KEY_NAME.toString(), links}});
    // Lines of the text that were no links; none where the links came as
    // addresses because the text held none.
    const QString text = event->mimeData()->hasText() ? event->mimeData()->text() : QString();
    const bool fromText = !SourceLinks::linksFromText(text).isEmpty();
    Q_EMIT linesLeftOut(fromText ? int(SourceLinks::countOfLinesNotLinks(text)) : 0);
}

void TableViewDragged::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && event->button() == Qt::LeftButton) {
        const QRect cell = visualRect(index);
        // A quick second click on a row button is that button's business.
        if (RowDelegate::buttonAt(index, event->position().toPoint() - cell.topLeft(), cell.size()).button == RowDelegate::NoButton)
            NotificationCenter::defaultCenter().post(NOTIFICATION_YOUTUBE_TABLE_VIEW_DBL_CLICK.toString(), this);
    }
    QTableView::mouseDoubleClickEvent(event);
}
