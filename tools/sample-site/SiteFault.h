#pragma once

#include <QString>

#include <optional>

// A misbehaviour of the sample site for requests whose path begins with
// `pathPrefix` (all requests when it is empty), for the next `times` such
// requests (-1: for good).
struct SiteFault
{
    QString pathPrefix;
    int times = -1;
    qint64 resetAfter = -1;    // close the connection after this many body bytes
    qint64 stallAfter = -1;    // send nothing more after this many body bytes
    bool ignoreRange = false;  // answer a Range request with 200 and the whole body
    qint64 rangeShift = 0;     // answer a Range request from this many bytes earlier (said so in Content-Range)
    int status = 0;            // answer with this error status instead (404, 500)
    bool omitLength = false;   // no Content-Length: the body ends when the connection closes
    qint64 bytesPerSecond = 0; // throttle the body
    qint64 lengthDelta = 0;    // announce this many bytes more (or fewer) than the body has

    // "path=/videoplayback,reset-after=100000,times=1"; keys: path, times,
    // reset-after, stall-after, ignore-range, range-shift, status, no-length,
    // throttle, length-delta.
    static std::optional<SiteFault> parse(const QString &text);
};
