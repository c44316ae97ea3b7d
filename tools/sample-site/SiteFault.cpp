#include "SiteFault.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

std::optional<SiteFault> SiteFault::parse(const QString &text)
{
    SiteFault fault;
    for (const QString &item : text.split(u',', Qt::SkipEmptyParts)) {
        const QString key = item.section(u'=', 0, 0).trimmed();
        const QString value = item.section(u'=', 1).trimmed();
        bool ok = true;
        if (key == u"path")
            fault.pathPrefix = value;
        else if (key == u"times")
            fault.times = value.toInt(&ok);
        else if (key == u"reset-after")
            fault.resetAfter = value.toLongLong(&ok);
        else if (key == u"stall-after")
            fault.stallAfter = value.toLongLong(&ok);
        else if (key == u"ignore-range")
            fault.ignoreRange = true;
        else if (key == u"range-shift")
            fault.rangeShift = value.toLongLong(&ok);
        else if (key == u"status")
            fault.status = value.toInt(&ok);
        else if (key == u"no-length")
            fault.omitLength = true;
        else if (key == u"throttle")
            fault.bytesPerSecond = value.toLongLong(&ok);
        else if (key == u"length-delta")
            fault.lengthDelta = value.toLongLong(&ok);
        else
            return std::nullopt;
        if (!ok)
            return std::nullopt;
    }
    return fault;
}
