#include "SplitViewEmpty.h"

#include <QChildEvent>

SplitViewEmpty::SplitViewEmpty(QWidget *parent)
    : QSplitter(Qt::Vertical, parent)
{
    setHandleWidth(0);
    setChildrenCollapsible(false);
}

void SplitViewEmpty::childEvent(QChildEvent *event)
{
    QSplitter::childEvent(event);
    // The first pane (the list) grows; the others keep their height.
    if (event->added() && count() > 0)
        setStretchFactor(0, 1);
}
