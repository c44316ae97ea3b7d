#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share: the input read as text, and the check that
// stops a run whose invariant broke.

// Invalid UTF-8 becomes U+FFFD, as it does where the program decodes pages.
inline QString fuzzText(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

// libFuzzer reports the abort as a crash and keeps the input that caused it.
inline void require(bool holds, const char *invariant)
{
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    std::abort();
}

// A high surrogate exactly where a low one follows it.
inline bool startsPair(QStringView text, qsizetype i)
{
    return i + 1 < text.size() && text[i].isHighSurrogate() && text[i + 1].isLowSurrogate();
}

// Everything after the first "<" is free of ">": no tag survived.
inline bool hasNoTag(const QString &text)
{
    const qsizetype open = text.indexOf(u'<');
    return open < 0 || text.indexOf(u'>', open) < 0;
}
