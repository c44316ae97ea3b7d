#include "MatrixText.h"

using namespace Qt::Literals::StringLiterals;

namespace MatrixText {

void printTable(QTextStream &out, const QList<QStringList> &table)
{
    QList<qsizetype> widths;
    for (const QStringList &line : table) {
        widths.resize(std::max(widths.size(), line.size()), 0);
        for (qsizetype column = 0; column < line.size(); ++column)
            widths[column] = std::max(widths[column], line[column].size());
    }
    for (const QStringList &line : table) {
        QString text;
        for (qsizetype column = 0; column < line.size(); ++column)
            text += line[column].leftJustified(widths[column] + 2);
        out << text.trimmed() << '\n';
    }
}

void printSummary(QTextStream &out, qsizetype cells, qsizetype failures, qint64 elapsedMs)
{
    out << u"\n%1 cells: %2 ok, %3 failed, in %4 s.\n"_s.arg(cells).arg(cells - failures).arg(failures).arg(elapsedMs / 1000);
    out.flush();
}

} // namespace MatrixText
