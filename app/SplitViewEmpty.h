#pragma once

#include <QSplitter>

// The main window's split between the list and the quick options, without
// a visible divider: the panes meet edge to edge and the list takes the room
// the quick options leave.
class SplitViewEmpty final : public QSplitter
{
    Q_OBJECT

public:
    explicit SplitViewEmpty(QWidget *parent = nullptr);

protected:
    void childEvent(QChildEvent *event) override;
};
