#pragma once

class QFont;

// The least widths of the list's columns, in the list's font: the title's
// duration line beside the menu button, and the status's words, speed and
// time left of a download, each on a line of its own.
class ColumnMinimums final
{
public:
    ColumnMinimums() = delete;

    static int title(const QFont &font);
    static int status(const QFont &font);
};
