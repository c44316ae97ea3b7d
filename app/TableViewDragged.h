#pragma once

#include <QTableView>

// The download list's table: whole rows, several at a time, fixed row
// height for the cover and buttons; a right click selects the row under the
// pointer before its menu is asked for, so the menu acts on what was
// clicked.
class TableViewDragged final : public QTableView
{
    Q_OBJECT

public:
    static constexpr int RowHeight = 64;

    explicit TableViewDragged(QWidget *parent = nullptr);

    // Column widths and resize modes, once a model is set.
    void setUpColumns();

Q_SIGNALS:
    void rowMenuRequested(int row, QPoint globalPosition);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
