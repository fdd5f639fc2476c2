#pragma once

#include "sound/tones.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <vector>

// What a recording of the game's sounds holds: each sound's start and end, and which it is.
namespace heard
{

// The power of one frequency in n samples (Goertzel's filter).
inline double power(const std::int16_t* x, std::size_t n, double frequency)
{
    const double c = 2 * std::cos(2 * std::numbers::pi * frequency / sound::sampleRate);
    double s1 = 0, s2 = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double s = x[i] + c * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return (s1 * s1 + s2 * s2 - c * s1 * s2) / double(n * n);
}

struct Sound {
    std::size_t start;
    std::size_t end; // one past its last loud sample
    int which;       // the colour 1 to 4 of the strongest tone, 0 for the wrong press's note
};

// A sound starts where the signal rises above a twentieth of a tone's peak after 50 ms of quiet,
// and ends with its last sample above that before the next 50 ms of quiet. Which it is, the
// strongest of the game's frequencies in its first 50 ms tells, after its fade-in. Anything
// shorter than 20 ms is no sound of the game's (the shortest lasts 300 ms), and a sound broken
// up for less than 150 ms, as on a busy machine, counts as one.
inline std::vector<Sound> sounds(const std::vector<std::int16_t>& x)
{
    const int threshold = int(32767 * sound::peak / 20);
    const std::size_t quiet = sound::sampleRate / 20;
    const std::size_t window = sound::sampleRate / 20;
    std::vector<Sound> found;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (std::abs(int(x[i])) < threshold)
            continue;
        if (found.empty() || i - found.back().end > quiet)
            found.push_back({i, i + 1, 0});
        found.back().end = i + 1;
    }
    std::erase_if(found, [](const Sound& s) { return s.end - s.start < sound::sampleRate / 50; });
    for (Sound& s : found) {
        const std::size_t from = std::min(s.start + std::size_t(sound::fadeSamples), x.size());
        const std::size_t n = std::min(window, x.size() - from);
        double most = power(x.data() + from, n, sound::wrongFrequency);
        for (int colour = 1; colour <= 4; ++colour) {
            const double p = power(x.data() + from, n, sound::toneFrequency(colour));
            if (p > most) {
                most = p;
                s.which = colour;
            }
        }
    }
    std::vector<Sound> joined;
    for (const Sound& s : found) {
        if (!joined.empty() && joined.back().which == s.which &&
            s.start - joined.back().end < std::size_t(sound::sampleRate) * 15 / 100)
            joined.back().end = s.end;
        else
            joined.push_back(s);
    }
    return joined;
}

} // namespace heard
