// Entity decoding, percent decoding and tag removal: bounds, no broken
// surrogate pairs, and round trips through encodings built here from the
// input, whose decoded form is the input itself.
#include "FuzzSupport.h"
#include "StringUtils.h"

using namespace Qt::Literals::StringLiterals;

namespace {

void appendDecimalReference(QString &out, char32_t codePoint)
{
    out += u"&#";
    out += QString::number(uint(codePoint));
    out += u';';
}

// "&", "<", ">" and '"' always as references, named or decimal; a surrogate
// pair as one decimal reference; every third other unit as a decimal one and
// the rest as they are.
QString withEntityReferences(const QString &text)
{
    QString encoded;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (startsPair(text, i)) {
            appendDecimalReference(encoded, QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else if (c == u'&') {
            encoded += i % 2 ? u"&amp;"_s : u"&#38;"_s;
        } else if (c == u'<' || c == u'>' || c == u'"') {
            encoded += c == u'<' ? u"&lt;"_s : c == u'>' ? u"&gt;"_s : u"&quot;"_s;
        } else if (i % 3 == 0) {
            appendDecimalReference(encoded, c.unicode());
        } else {
            encoded += c;
        }
    }
    return encoded;
}

// Units up to U+00FF as "%XY" escapes, upper- and lower-case in turn; the rest
// as they are. Only for text without "%" or U+0000, which do not round-trip.
QString withPercentEscapes(const QString &text)
{
    QString encoded;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u > 0xFF) {
            encoded += text[i];
            continue;
        }
        const char16_t *digits = i % 2 ? u"0123456789ABCDEF" : u"0123456789abcdef";
        encoded += u'%';
        encoded += QChar(digits[u >> 4]);
        encoded += QChar(digits[u & 0xF]);
    }
    return encoded;
}

constexpr QStringView Tags[] = {u"<b>", u"</b>", u"<a href=\"/watch?v=x\">", u"</a>", u"<br />", u"<BR />"};

// A tag after every third unit (never inside a surrogate pair); the text
// removeTags should give back: the input with a line feed for each break.
struct Markup
{
    QString markup;
    QString plain;
};

Markup withTags(const QString &text)
{
    Markup result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        result.markup += text[i];
        result.plain += text[i];
        if (i % 3 != 2 || startsPair(text, i))
            continue;
        const QStringView tag = Tags[(i / 3) % std::size(Tags)];
        result.markup += tag;
        if (tag.compare(u"<br />", Qt::CaseInsensitive) == 0)
            result.plain += u'\n';
    }
    return result;
}

void checkDecodeHTML(const QString &text)
{
    const QString decoded = StringUtils::decodeHTML(text);
    require(decoded.size() <= text.size(), "decodeHTML never lengthens");
    require(QStringView(decoded).isValidUtf16(), "decodeHTML keeps surrogate pairs whole");
    if (!text.contains(u'&'))
        require(decoded == text, "decodeHTML leaves text without '&' alone");
    require(StringUtils::decodeHTML(withEntityReferences(text)) == text, "decodeHTML reverses references");
}

void checkReplaceHTMLSymbols(const QString &text)
{
    const QString decoded = StringUtils::replaceHTMLSymbols(text);
    require(decoded.size() <= text.size(), "replaceHTMLSymbols never lengthens");
    if (!text.contains(u'%'))
        require(decoded == text, "replaceHTMLSymbols leaves text without '%' alone");
    if (!text.contains(u'%') && !text.contains(QChar(u'\0')))
        require(StringUtils::replaceHTMLSymbols(withPercentEscapes(text)) == text,
                "replaceHTMLSymbols reverses escapes");
}

void checkRemoveTags(const QString &text)
{
    const QString plain = StringUtils::removeTags(text);
    require(plain.size() <= text.size(), "removeTags never lengthens");
    require(QStringView(plain).isValidUtf16(), "removeTags keeps surrogate pairs whole");
    require(hasNoTag(plain), "removeTags leaves no tag");
    if (!text.contains(u'<') && !text.contains(u'&'))
        require(plain == text, "removeTags leaves text without markup alone");
    if (!text.contains(u'<') && !text.contains(u'>') && !text.contains(u'&')) {
        const Markup built = withTags(text);
        require(StringUtils::removeTags(built.markup) == built.plain, "removeTags removes exactly the tags");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzText(data, size);
    checkDecodeHTML(text);
    checkReplaceHTMLSymbols(text);
    checkRemoveTags(text);
    return 0;
}
