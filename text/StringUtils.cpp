#include "StringUtils.h"

#include "EventLoopStep.h"
#include "HtmlEntities.h"
#include "LocalizedStrings.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

// The first UTF-16 unit of the upper-case form of the character at
// `position`. Upper-casing only this character keeps the positions of the
// text intact even when an earlier character grows ("ß" becomes "SS").
char16_t upperCasedUnitAt(const QString &text, qsizetype position)
{
    const char16_t unit = text.at(position).unicode();
    if (unit < 0x80)
        return (unit >= u'a' && unit <= u'z') ? char16_t(unit - u'a' + u'A') : unit;
    const bool isPair = QChar::isHighSurrogate(unit) && position + 1 < text.size()
        && text.at(position + 1).isLowSurrogate();
    const QString upper = text.mid(position, isPair ? 2 : 1).toUpper();
    return upper.isEmpty() ? unit : upper.at(0).unicode();
}

bool isTrimmed(QChar c)
{
    const char16_t u = c.unicode();
    if (u == 0x09 || (u >= 0x0A && u <= 0x0D) || u == 0x85)
        return true;
    switch (c.category()) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

int hexDigit(char16_t u)
{
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Reads a two-unit escape code the way a hexadecimal scanner does: leading
// white space, an optional "0x", then hex digits up to the first other unit.
int percentEscapeValue(QStringView code)
{
    qsizetype k = 0;
    while (k < code.size() && isTrimmed(code[k]))
        ++k;
    if (k + 1 < code.size() && code[k] == u'0' && (code[k + 1] == u'x' || code[k + 1] == u'X'))
        k += 2;
    int value = 0;
    for (; k < code.size() && hexDigit(code[k].unicode()) >= 0; ++k)
        value = value * 16 + hexDigit(code[k].unicode());
    return value;
}

// A decimal character reference ("39" of "&#39;"): white space, an optional
// sign, then digits up to the first non-digit. The magnitude saturates, so a
// reference of any length stays a valid, if absurd, number.
qint64 decimalReferenceValue(QStringView digits)
{
    constexpr qint64 cap = qint64(std::numeric_limits<qint32>::max()) + 1;
    qsizetype k = 0;
    while (k < digits.size() && isTrimmed(digits[k]))
        ++k;
    bool negative = false;
    if (k < digits.size() && (digits[k] == u'-' || digits[k] == u'+'))
        negative = digits[k++] == u'-';
    qint64 value = 0;
    for (; k < digits.size() && digits[k] >= u'0' && digits[k] <= u'9'; ++k)
        value = std::min(cap, value * 10 + (digits[k].unicode() - u'0'));
    return negative ? -value : value;
}

// Code points that cannot stand in UTF-16 (lone surrogates, values beyond
// U+10FFFF, negatives) become the replacement character; zero stays U+0000.
void appendCodePoint(QString &out, qint64 value)
{
    const bool isSurrogate = value >= 0xD800 && value <= 0xDFFF;
    if (value < 0 || value > 0x10FFFF || isSurrogate) {
        out.append(QChar(QChar::ReplacementCharacter));
    } else if (value > 0xFFFF) {
        const char32_t codePoint = char32_t(value);
        out.append(QChar(QChar::highSurrogate(codePoint)));
        out.append(QChar(QChar::lowSurrogate(codePoint)));
    } else {
        out.append(QChar(char16_t(value)));
    }
}

// The first occurrence of `unit` at or after `from`, found by moving a cursor
// that only ever goes forwards, so scanning a whole text costs linear time.
class ForwardFinder
{
public:
    ForwardFinder(const QString &text, QChar unit)
        : m_text(text), m_unit(unit)
    {
    }

    qsizetype from(qsizetype position)
    {
        if (m_found < position && m_found != m_text.size()) {
            const qsizetype next = m_text.indexOf(m_unit, position);
            m_found = next < 0 ? m_text.size() : next;
        }
        return m_found;
    }

private:
    const QString &m_text;
    QChar m_unit;
    qsizetype m_found = -1;
};

// Deletes "</...>" again and again, always the first one in the text. A
// deletion can join a "<" before it with a "/" after it into a new "</", so
// the next search starts one unit before the deletion, never earlier.
QString removeClosingTags(const QString &text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (true) {
        const bool joinsOut = !out.isEmpty() && out.back() == u'<' && i < text.size() && text.at(i) == u'/';
        const qsizetype open = joinsOut ? i - 1 : text.indexOf(u"</"_s, i);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(u'>', open + 2);
        if (close < 0)
            break;
        if (joinsOut)
            out.chop(1);
        else
            out.append(QStringView(text).mid(i, open - i));
        i = close + 1;
    }
    out.append(QStringView(text).mid(i));
    return out;
}

// Deletes the first "<...>" again and again; a "<" without a ">" after it
// ends the work and keeps the rest as it stands.
QString removeAllTags(const QString &text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (true) {
        const qsizetype open = text.indexOf(u'<', i);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(u'>', open + 1);
        if (close < 0)
            break;
        out.append(QStringView(text).mid(i, open - i));
        i = close + 1;
    }
    out.append(QStringView(text).mid(i));
    return out;
}

} // namespace

bool StringUtils::isCharLetter(const QString &text, qsizetype position)
{
    if (position < 0 || position >= text.size())
        return false;
    const char16_t unit = upperCasedUnitAt(text, position);
    return unit >= u'A' && unit <= u'Z';
}

bool StringUtils::isCharNumber(const QString &text, qsizetype position)
{
    if (position < 0 || position >= text.size())
        return false;
    const char16_t unit = upperCasedUnitAt(text, position);
    return unit >= u'0' && unit <= u'9';
}

QString StringUtils::trim(const QString &text)
{
    if (text.isNull())
        return {};
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString StringUtils::parseTagValueFromText(const QString &text, const QString &openTag, const QString &closeTag)
{
    if (openTag.isEmpty() || closeTag.isEmpty())
        return {};
    const qsizetype open = text.indexOf(openTag, 0, Qt::CaseInsensitive);
    if (open < 0)
        return {};
    const qsizetype start = open + openTag.size();
    const qsizetype close = text.indexOf(closeTag, start, Qt::CaseInsensitive);
    if (close < 0)
        return {};
    return text.mid(start, close - start);
}

QString StringUtils::parseTagValueFromTextEnd(const QString &text, const QString &openTag, const QString &closeTag)
{
    return parseTagValueFromText(text, openTag, closeTag);
}

QString StringUtils::parseTagValueFromText(const QString &text, const QString &openTag)
{
    if (openTag.isEmpty())
        return {};
    const qsizetype open = text.indexOf(openTag, 0, Qt::CaseInsensitive);
    if (open < 0)
        return {};
    return text.mid(open + openTag.size());
}

void StringUtils::saveStringToFile(const QString &text, const QString &path)
{
    if (text.isEmpty() || path.isEmpty())
        return;
    for (QChar c : text) {
        if (c.unicode() > 0x7F)
            return;
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toLatin1());
}

bool StringUtils::processMessages(int maxWaitMs)
{
    return EventLoopStep::run(maxWaitMs);
}

bool StringUtils::areStringsArrayEqual(const QStringList &array1, const QStringList &array2)
{
    return array1 == array2;
}

QString StringUtils::correctDir(const QString &path)
{
    if (path.isEmpty() || path.endsWith(u'/'))
        return path;
    return path + u'/';
}

void StringUtils::writeIntToMutableData(qint32 value, QByteArray &data, int length)
{
    const auto bits = quint32(value);
    for (int i = 0; i < length && i < 4; ++i)
        data.append(char((bits >> (8 * i)) & 0xFF));
}

void StringUtils::writeStringToMutableData(const QString &text, QByteArray &data)
{
    data.reserve(data.size() + text.size());
    for (QChar c : text)
        data.append(c.unicode() <= 0xFF ? char(c.unicode()) : '?');
}

QString StringUtils::langStr(int key)
{
    return LocalizedStrings::shared().text(key);
}

QString StringUtils::timeText(double seconds)
{
    // Past a thousand hours an estimate says nothing; the clamp also keeps
    // the conversion to an integer defined.
    constexpr double MaxSeconds = 999 * 3600 + 59 * 60 + 59;
    const qint64 whole = qint64(std::clamp(std::isnan(seconds) ? 0.0 : seconds, 0.0, MaxSeconds));
    const qint64 hours = whole / 3600;
    const QString minutesAndSeconds =
        u"%1:%2"_s.arg(whole / 60 % 60, 2, 10, QChar(u'0')).arg(whole % 60, 2, 10, QChar(u'0'));
    if (hours == 0)
        return minutesAndSeconds;
    return u"%1:"_s.arg(hours, 2, 10, QChar(u'0')) + minutesAndSeconds;
}

QString StringUtils::speedText(double bytesPerSecond)
{
    return u"%1 %2 %3"_s.arg(langStr(48), QString::asprintf("%5.2f", bytesPerSecond / 1024 / 1024), langStr(69));
}

QString StringUtils::removeTags(const QString &markup)
{
    if (markup.isEmpty())
        return markup;
    QString text = markup;
    text.replace(u"<br />"_s, u"\n"_s, Qt::CaseInsensitive);
    text = removeAllTags(removeClosingTags(text));
    text.replace(u"&#160;"_s, u" "_s);
    text.replace(u"&#34;"_s, u"\""_s);
    text.replace(u"&#38;"_s, u"&"_s);
    return text;
}

QString StringUtils::removeIncorrectSymbolsForFileName(const QString &name)
{
    QString cleaned = name;
    cleaned.replace(u'\\', u'-');
    cleaned.replace(u'/', u'-');
    return cleaned;
}

QStringList StringUtils::parseStringList(const QString &text, const QString &separator)
{
    QStringList pieces;
    const auto take = [&pieces](const QString &piece) {
        QString trimmed = trim(piece);
        if (!trimmed.isEmpty())
            pieces.append(std::move(trimmed));
    };
    qsizetype start = 0;
    if (!separator.isEmpty()) {
        for (qsizetype at = text.indexOf(separator, start); at >= 0; at = text.indexOf(separator, start)) {
            take(text.mid(start, at - start));
            start = at + separator.size();
        }
    }
    take(text.mid(start));
    return pieces;
}

QString StringUtils::decodeHTML(const QString &text)
{
    QString work = text;
    work.replace(u"&hellip"_s, u"..."_s);
    work.replace(u"&mdash"_s, u"-"_s);
    work.replace(u"&ndash"_s, u"-"_s);

    QString out;
    out.reserve(work.size());
    ForwardFinder semicolons(work, u';');
    ForwardFinder spaces(work, u' ');
    const qsizetype length = work.size();
    qsizetype i = 0;
    while (i < length) {
        const QChar unit = work.at(i);
        if (unit != u'&' || i == length - 1) {
            out.append(unit);
            ++i;
            continue;
        }
        const qsizetype semicolon = semicolons.from(i + 1);
        const bool isReference = semicolon < length && semicolon > i + 1 && spaces.from(i + 1) > semicolon;
        if (!isReference) {
            out.append(unit);
            ++i;
            continue;
        }
        const QStringView name = QStringView(work).mid(i + 1, semicolon - i - 1);
        if (name.front() == u'#')
            appendCodePoint(out, decimalReferenceValue(name.mid(1)));
        else
            out.append(QChar(HtmlEntities::valueOf(name)));
        i = semicolon + 1;
    }
    return out;
}

QString StringUtils::replaceHTMLSymbols(const QString &text)
{
    // Equivalent to: repeatedly take the first "%" of the whole text and
    // replace it and its two following units by the unit they encode. Nothing
    // before the first "%" can change, so the text is read once, left to
    // right; a decoded "%" is kept pending and read again with the next two
    // units. A "%" with fewer than two units after it ends the decoding.
    if (text.isNull())
        return u""_s;
    QString out;
    out.reserve(text.size());
    const qsizetype length = text.size();
    qsizetype i = 0;
    bool pendingPercent = false;
    while (true) {
        if (!pendingPercent) {
            const qsizetype percent = text.indexOf(u'%', i);
            if (percent < 0)
                break;
            out.append(QStringView(text).mid(i, percent - i));
            i = percent + 1;
        }
        if (length - i < 2) {
            out.append(u'%');
            break;
        }
        const int value = percentEscapeValue(QStringView(text).mid(i, 2));
        i += 2;
        pendingPercent = value == u'%';
        if (value != 0 && !pendingPercent)
            out.append(QChar(char16_t(value)));
    }
    out.append(QStringView(text).mid(i));
    return out;
}
