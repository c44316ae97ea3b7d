#pragma once

// Literal, slow readings of the decoding rules: each round searches the whole
// text again from its start. The fast decoders must agree with them on every
// input.

#include <QString>

#include <cstdlib>

namespace reference {

inline QString replaceHTMLSymbols(const QString &text)
{
    QString s = text;
    while (true) {
        const qsizetype p = s.indexOf(u'%');
        if (p < 0 || s.size() - p - 1 < 2)
            return s;
        // strtol reads hex as the decoder must: white space, an optional
        // "0x", then digits up to the first other character.
        const long value = std::strtol(s.mid(p + 1, 2).toLatin1().constData(), nullptr, 16);
        s.remove(p, 3);
        if ((value & 0xFFFF) != 0)
            s.insert(p, QChar(char16_t(value)));
    }
}

inline QString removeTags(const QString &markup)
{
    QString s = markup;
    s.replace(QStringLiteral("<br />"), QStringLiteral("\n"), Qt::CaseInsensitive);
    for (const QString &opener : {QStringLiteral("</"), QStringLiteral("<")}) {
        while (true) {
            const qsizetype open = s.indexOf(opener);
            if (open < 0)
                break;
            const qsizetype close = s.indexOf(u'>', open + opener.size());
            if (close < 0)
                break;
            s.remove(open, close - open + 1);
        }
    }
    s.replace(QStringLiteral("&#160;"), QStringLiteral(" "));
    s.replace(QStringLiteral("&#34;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&#38;"), QStringLiteral("&"));
    return s;
}

} // namespace reference
