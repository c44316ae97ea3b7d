#pragma once

#include "FaultRow.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

class QProcess;

// Runs every cell of the matrix (faults by user actions, for each output
// format), each in a process of its own so that a crash or a hang costs one
// cell, a few at a time; then prints the tables, a legend and a summary.
class FaultMatrix final
{
public:
    FaultMatrix(const QList<FaultRow> &rows, const QStringList &formats, QTextStream &out);

    // True when every cell passed.
    bool run();

private:
    struct Cell
    {
        QString row;
        QString action;
        QString format;
        bool ok = false;
        QString text;
        QString note;
        bool killed = false;
    };

    void runCells();
    void start(Cell &cell, const std::function<void()> &done);
    static void takeResult(QProcess &process, Cell &cell);
    void printTable(const QString &format);
    void printLegend();
    QString shown(const Cell &cell);

    QList<FaultRow> m_rows;
    QStringList m_formats;
    QTextStream &m_out;
    QList<Cell> m_cells;
    QStringList m_notes;
};
