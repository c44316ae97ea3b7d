#include "TableViewDragged.h"

#include "RowModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>

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
