#include "TableViewDragged.h"

#include "NotificationCenter.h"
#include "RowDelegate.h"
#include "RowModel.h"
#include "YoutubeConstants.h"
#include "YoutubeDownloader.h"

#include <QContextMenuEvent>
#include <QHeaderView>
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
}

void TableViewDragged::setUpColumns()
{
    QHeaderView *header = horizontalHeader();
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(RowModel::TitleColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(RowModel::CoverColumn, QHeaderView::Fixed);
    header->resizeSection(RowModel::CoverColumn, RowHeight * 4 / 3 + 4);
    header->resizeSection(RowModel::StatusColumn, 250);
    header->resizeSection(RowModel::OperationsColumn, 130);
}

void TableViewDragged::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex index = indexAt(event->pos());
    if (!index.isValid())
        return;
    if (!selectionModel()->isRowSelected(index.row(), QModelIndex()))
        selectRow(index.row());
    setCurrentIndex(index);
    Q_EMIT rowMenuRequested(index.row(), event->globalPos());
}

QStringList TableViewDragged::linksOf(const QMimeData &data)
{
    QStringList links;
    if (data.hasText())
        links = YoutubeDownloader::youtubesURLsFromText(data.text());
    if (links.isEmpty() && data.hasUrls()) {
        QStringList addresses;
        for (const QUrl &url : data.urls())
            addresses.append(url.toString());
        links = YoutubeDownloader::youtubesURLsFromText(addresses.join(u'\n'));
    }
    return links;
}

void TableViewDragged::judgeDrag(QDragMoveEvent &event)
{
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
    const QStringList links = linksOf(*event->mimeData());
    if (links.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    NotificationCenter::defaultCenter().post(YOUTUBE_ADD_URLS_FROM_PASTERBOARD.toString(), this,
                                             {{YOUTUBE_ADD_URLS_FROM_PASTERBOARD_KEY_NAME.toString(), links}});
}

void TableViewDragged::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && event->button() == Qt::LeftButton) {
        const QRect cell = visualRect(index);
        // A quick second click on a row button is that button's business.
        if (RowDelegate::buttonAt(index, event->position().toPoint() - cell.topLeft(), cell.size()) == RowDelegate::NoButton)
            NotificationCenter::defaultCenter().post(NOTIFICATION_YOUTBE_TABLE_VIEW_DBL_CLICK.toString(), this);
    }
    QTableView::mouseDoubleClickEvent(event);
}
