#include "HtmlEntities.h"

#include <QHash>
#include <QString>

#include <array>

namespace {

// Names in code-point order from U+00A1; each stands for its position + 0xA1.
constexpr std::array<const char16_t *, 95> latin1Names = {
    u"iexcl", u"cent", u"pound", u"curren", u"yen", u"brvbar", u"sect", u"uml", u"copy", u"ordf",
    u"laquo", u"not", u"shy", u"reg", u"macr", u"deg", u"plusmn", u"sup2", u"sup3", u"acute",
    u"micro", u"para", u"middot", u"cedil", u"sup1", u"ordm", u"raquo", u"frac14", u"frac12",
    u"frac34", u"iquest", u"Agrave", u"Aacute", u"Acirc", u"Atilde", u"Auml", u"Aring", u"AElig",
    u"Ccedil", u"Egrave", u"Eacute", u"Ecirc", u"Euml", u"Igrave", u"Iacute", u"Icirc", u"Iuml",
    u"ETH", u"Ntilde", u"Ograve", u"Oacute", u"Ocirc", u"Otilde", u"Ouml", u"times", u"Oslash",
    u"Ugrave", u"Uacute", u"Ucirc", u"Uuml", u"Yacute", u"THORN", u"szelig", u"agrave", u"aacute",
    u"acirc", u"atilde", u"auml", u"aring", u"aelig", u"ccedil", u"egrave", u"eacute", u"ecirc",
    u"euml", u"igrave", u"iacute", u"icirc", u"iuml", u"eth", u"ntilde", u"ograve", u"oacute",
    u"ocirc", u"otilde", u"ouml", u"divide", u"oslash", u"ugrave", u"uacute", u"ucirc", u"uuml",
    u"yacute", u"thorn", u"yuml",
};

QHash<QString, char16_t> buildTable()
{
    // "nbsp" is a plain space here, as the description cleaner treats it.
    QHash<QString, char16_t> table{
        {QStringLiteral("nbsp"), u' '},
        {QStringLiteral("quot"), u'"'},
        {QStringLiteral("amp"), u'&'},
        {QStringLiteral("lt"), u'<'},
        {QStringLiteral("gt"), u'>'},
    };
    for (std::size_t i = 0; i < latin1Names.size(); ++i)
        table.insert(QString::fromUtf16(latin1Names[i]), char16_t(0xA1 + i));
    return table;
}

} // namespace

char16_t HtmlEntities::valueOf(QStringView name)
{
    static const QHash<QString, char16_t> table = buildTable();
    return table.value(name.toString(), unknownValue);
}
