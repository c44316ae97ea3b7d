#pragma once

#include <QStringView>

// The named character references a watch page uses in titles and
// descriptions: "nbsp" (as a plain space), "quot", "amp", "lt", "gt" and the
// HTML 4 Latin-1 names, compared case-sensitively.
class HtmlEntities final
{
public:
    HtmlEntities() = delete;

    // The code unit a name stands for; U+001F for a name that is not known.
    static char16_t valueOf(QStringView name);

    static constexpr char16_t unknownValue = 0x1F;
};
