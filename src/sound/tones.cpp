#include "sound/tones.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

namespace sound
{

namespace
{

// Harmonics that a laptop's small speaker can give where it cannot give the fundamental.
constexpr double harmonics[] = {1.0, 0.5, 0.3, 0.15};
// The most any sum of them can reach, so that the peak holds whatever the phases.
constexpr double harmonicSum = 1.0 + 0.5 + 0.3 + 0.15;
// The wrong press: a rougher tone of more, louder harmonics.
constexpr int roughHarmonics = 8;

double roughSum()
{
    double sum = 0;
    for (int k = 1; k <= roughHarmonics; ++k)
        sum += 1.0 / k;
    return sum;
}

// Raised cosine from 0 to 1 over the fade.
double fadeIn(std::int64_t n)
{
    if (n >= fadeSamples)
        return 1.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * double(n) / fadeSamples);
}

} // namespace

double toneFrequency(int colour)
{
    static constexpr double notes[] = {392.00, 523.25, 659.26, 880.00};
    return notes[std::clamp(colour, 1, 4) - 1];
}

Voice::Voice(Kind kind, int colour) : kind(kind)
{
    frequency = kind == Kind::Wrong ? wrongFrequency : toneFrequency(colour);
    if (kind == Kind::Press)
        releasedAt = pressSamples - fadeSamples;
    else if (kind == Kind::Wrong)
        releasedAt = wrongSamples - fadeSamples;
}

double Voice::wave(double seconds) const
{
    const double turn = 2 * std::numbers::pi * seconds;
    double sum = 0;
    if (kind == Kind::Wrong) {
        for (int k = 1; k <= roughHarmonics; ++k)
            sum +=
                (std::sin(turn * k * frequency) + std::sin(turn * k * (frequency + wrongBeat))) / k;
        return sum / (2 * roughSum());
    }
    for (std::size_t k = 0; k < std::size(harmonics); ++k)
        sum += harmonics[k] * std::sin(turn * double(k + 1) * frequency);
    return sum / harmonicSum;
}

double Voice::next()
{
    if (done())
        return 0.0;
    double gain = fadeIn(position);
    if (releasedAt >= 0 && position >= releasedAt)
        gain *= 1.0 - fadeIn(position - releasedAt);
    const double sample = peak * gain * wave(double(position) / sampleRate);
    ++position;
    return sample;
}

void Voice::release()
{
    if (releasedAt < 0 || releasedAt > position)
        releasedAt = position;
}

void Synth::start(Kind kind, int colour)
{
    current.release();
    fading = current;
    current = Voice(kind, colour);
}

void Synth::render(std::int16_t* out, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const double sample = current.next() + fading.next();
        out[i] = std::int16_t(std::lround(sample * 32767.0));
        quiet = current.done() && fading.done() ? quiet + 1 : 0;
    }
}

} // namespace sound
