#pragma once

#include <QString>

// What a paste, a drop or the add-links sheet leaves out, in a sentence or
// two: lines that are no links, and links the list has already.
class SkippedLines final
{
public:
    SkippedLines() = delete;

    // Told after the lines went to the list (`done`), or in the sheet
    // before; empty when nothing is left out.
    static QString text(qsizetype notLinks, qsizetype listed, bool done);
};
