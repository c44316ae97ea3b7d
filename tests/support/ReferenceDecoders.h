#pragma once

// Literal, slow readings of the decoding rules: each round searches the whole
// text again from its start. The fast decoders must agree with them on every
// input.

#include <QString>

namespace reference {

inline int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

inline int scanHex(const QString &code)
{
    qsizetype k = 0;
    while (k < code.size() && code.at(k).isSpace())
        ++k;
    if (code.mid(k, 2).compare(QStringLiteral("0x"), Qt::CaseInsensitive) == 0)
        k += 2;
    int value = 0;
    while (k < code.size() && hexDigit(code.at(k)) >= 0)
        value = value * 16 + hexDigit(code.at(k++));
    return value;
}

inline QString replaceHTMLSymbols(const QString &text)
{
    QString s = text;
    while (true) {
        const qsizetype p = s.indexOf(u'%');
        if (p < 0 || s.size() - p - 1 < 2)
            return s;
        const QString code = s.mid(p + 1, 2);
        s.remove(p, 3);
        const int value = scanHex(code);
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
