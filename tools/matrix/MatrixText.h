#pragma once

#include <QList>
#include <QStringList>
#include <QTextStream>

// How the matrix programs print: tables in plain columns, and the line that
// sums a run up.
namespace MatrixText {

// Each column as wide as its widest cell, two spaces apart; the first line
// is the heading.
void printTable(QTextStream &out, const QList<QStringList> &table);
void printSummary(QTextStream &out, qsizetype cells, qsizetype failures, qint64 elapsedMs);

} // namespace MatrixText
