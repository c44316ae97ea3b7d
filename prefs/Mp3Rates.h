#pragma once

#include <QList>

// The rates an MP3 file can have, as lame writes them. Each sample rate
// belongs to one MPEG version and each version has bit rates of its own;
// asked for another bit rate, lame takes the nearest of them (the lower of
// two as near) without a word, so 320 kbit/s at 22050 Hz becomes 160.
class Mp3Rates final
{
public:
    Mp3Rates() = delete;

    // In Hz, ascending.
    static const QList<int> &sampleRates();
    // In kbit/s, ascending; empty for a sample rate lame does not write.
    static const QList<int> &bitrates(int sampleRate);
    // The bit rate lame writes when asked for `bitrate` at `sampleRate`.
    static int bitrateUsed(int bitrate, int sampleRate);
};
