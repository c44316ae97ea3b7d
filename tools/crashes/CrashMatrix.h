#pragma once

#include "CrashPoint.h"

#include <QList>
#include <QStringList>
#include <QTextStream>

// Runs the cells one after the other, each in a process of its own (a cell
// kills a program and times what it sees: two at once on a small machine
// would blur both), then prints the table, what was seen in the cells that
// failed, and a legend.
class CrashMatrix final
{
public:
    CrashMatrix(const QList<CrashPoint> &points, int repeat, QTextStream &out);

    // True when every cell passed.
    bool run();

private:
    struct Cell
    {
        QString point;
        QString name; // the point, numbered when repeated
        bool ok = false;
        QString where;
        QString sent;
        QString note;
        QStringList details;
    };

    void runCell(Cell &cell);
    static void takeResult(const QStringList &lines, Cell &cell);
    void printTable();
    void printDetails();
    void printLegend();

    QList<CrashPoint> m_points;
    QTextStream &m_out;
    QList<Cell> m_cells;
};
