#pragma once

// What an item becomes, as the user picks it and the preferences store it.
// The values are the numbers in users' stored settings and the order of the
// lists that offer them: they never change.

enum class OutputFormat {
    Video = 0, // the downloaded video is kept as it is
    Mp3 = 1,
    Wav = 2,
};

// A stored number that names an output format.
inline bool isOutputFormat(int value)
{
    return value >= int(OutputFormat::Video) && value <= int(OutputFormat::Wav);
}

// How lame encodes an MP3.
enum class SoundMode {
    Stereo = 0,
    Mono = 1,
};
