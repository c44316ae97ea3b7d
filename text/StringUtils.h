#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Stateless text helpers: page scraping by markers, entity and percent
// decoding, list splitting, file-name cleaning, numbered interface strings and
// the little-endian byte writers of the binary formats. Lengths and positions
// count UTF-16 units. Every operation may be called from any thread.
class StringUtils final
{
public:
    StringUtils() = delete;

    // Whether the unit at `position` is an ASCII letter (digit) once that
    // character alone is upper-cased. False for a null text or a position
    // outside it.
    static bool isCharLetter(const QString &text, qsizetype position);
    static bool isCharNumber(const QString &text, qsizetype position);

    // Strips tab, U+000A..U+000D, U+0085 and all Unicode separators (category
    // Z) from both ends. A null text stays null.
    static QString trim(const QString &text);

    // The text between the first `openTag` and the first `closeTag` after it,
    // both found case-insensitively; empty when either is missing or empty.
    static QString parseTagValueFromText(const QString &text, const QString &openTag, const QString &closeTag);
    static QString parseTagValueFromTextEnd(const QString &text, const QString &openTag, const QString &closeTag);
    // Everything after the first `openTag` (case-insensitive).
    static QString parseTagValueFromText(const QString &text, const QString &openTag);

    // Writes the text as 7-bit ASCII; writes nothing for empty or non-ASCII
    // text.
    static void saveStringToFile(const QString &text, const QString &path);

    // Delivers pending events of the calling thread's event loop, waiting for
    // at least one (at most `maxWaitMs` milliseconds when it is not negative).
    // Returns false at once when the thread has no event loop.
    static bool processMessages(int maxWaitMs = -1);

    static bool areStringsArrayEqual(const QStringList &array1, const QStringList &array2);

    // Appends "/" unless the path is empty or already ends with one.
    static QString correctDir(const QString &path);

    // Appends the low `length` (1, 2 or 4) bytes of `value`, least significant
    // first.
    static void writeIntToMutableData(qint32 value, QByteArray &data, int length);
    // Appends exactly one byte per UTF-16 unit: ASCII as is, U+0080..U+00FF as
    // ISO-8859-1, anything else as "?".
    static void writeStringToMutableData(const QString &text, QByteArray &data);

    // The numbered interface text in the user's language.
    static QString langStr(int key);

    // An elapsed time: "MM:SS" below an hour, else "HH:MM:SS" with as many
    // hour digits as needed. Fractions are dropped; negative or absurd values
    // are clamped.
    static QString timeText(double seconds);
    // "Speed: 1.50 MB/s" for a speed in bytes per second.
    static QString speedText(double bytesPerSecond);

    // Plain text from a markup fragment: "<br />" becomes a line feed, tags go,
    // and three numeric entities are decoded.
    static QString removeTags(const QString &markup);

    // Turns "\" and "/" into "-".
    static QString removeIncorrectSymbolsForFileName(const QString &name);

    // The trimmed, non-empty pieces between occurrences of `separator`.
    static QStringList parseStringList(const QString &text, const QString &separator);

    // Decodes named and decimal character references in a page title or
    // description, one level deep.
    static QString decodeHTML(const QString &text);
    // Decodes percent escapes, each into one UTF-16 unit, decoding again a "%"
    // that an escape has just produced. Linear in the length of the text.
    static QString replaceHTMLSymbols(const QString &text);
};
