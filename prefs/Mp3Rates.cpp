#include "Mp3Rates.h"

#include <algorithm>
#include <cstdlib>

const QList<int> &Mp3Rates::sampleRates()
{
    static const QList<int> Rates{8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    return Rates;
}

const QList<int> &Mp3Rates::bitrates(int sampleRate)
{
    static const QList<int> Mpeg1{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const QList<int> Mpeg2{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const QList<int> Mpeg25{8, 16, 24, 32, 40, 48, 56, 64};
    static const QList<int> None;
    switch (sampleRate) {
    case 32000: case 44100: case 48000: return Mpeg1;
    case 16000: case 22050: case 24000: return Mpeg2;
    case 8000: case 11025: case 12000: return Mpeg25;
    default: return None;
    }
}

int Mp3Rates::bitrateUsed(int bitrate, int sampleRate)
{
    const QList<int> &allowed = bitrates(sampleRate);
    if (allowed.isEmpty())
        return bitrate;
    // The first of two as near is the lower one.
    return *std::min_element(allowed.begin(), allowed.end(), [bitrate](int a, int b) {
        return std::abs(a - bitrate) < std::abs(b - bitrate);
    });
}
