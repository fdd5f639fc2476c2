#pragma once

#include <cstddef>
#include <cstdint>

// The game's sounds as samples, without any device: each colour's tone, held while its colour
// shows or brief for a press, and the sound of a wrong press. Mono, 16 bits, at sampleRate.
namespace sound
{

inline constexpr int sampleRate = 48000;
// Each sound fades in and out over this long, so that nothing clicks: 5 ms.
inline constexpr int fadeSamples = sampleRate / 200;
// A press sounds for 0.3 s, a wrong press for 0.5 s.
inline constexpr int pressSamples = sampleRate * 3 / 10;
inline constexpr int wrongSamples = sampleRate / 2;
// The loudest sample of any one sound, as a share of full scale; two that overlap while one
// fades out stay below full scale.
inline constexpr double peak = 0.45;

enum class Kind { Silence, Tone, Press, Wrong };

// The tone of colour 1 to 4 (green, red, blue, yellow): G4 C5 E5 A5, a major chord with its sixth,
// none of them an octave of another, so that no tone is hidden in another's overtones.
double toneFrequency(int colour);
// A wrong press: two low notes a little apart, which beat roughly against each other.
inline constexpr double wrongFrequency = 110.0;
inline constexpr double wrongBeat = 7.0;

// One sound from its start: a held tone lasts until it is released, a press or a wrong press
// releases itself.
class Voice
{
public:
    Voice() = default;
    Voice(Kind kind, int colour);

    // The next sample, from -peak to peak.
    double next();
    // Fades out from the next sample on, unless it does already.
    void release();
    // Faded out completely (a voice that never sounded counts as done).
    bool done() const
    {
        return kind == Kind::Silence || (releasedAt >= 0 && position >= releasedAt + fadeSamples);
    }

private:
    double wave(double seconds) const;

    Kind kind = Kind::Silence;
    double frequency = 0;
    std::int64_t position = 0;
    std::int64_t releasedAt = -1;
};

// Everything that sounds: the voice asked for last and the one it cut short while that fades.
class Synth
{
public:
    // From the next sample on: a colour's tone held until the next call, a press, a wrong press,
    // or silence. What sounded fades out.
    void start(Kind kind, int colour = 0);
    void render(std::int16_t* out, std::size_t count);
    // How many samples of silence it has rendered since the last sound ended.
    std::int64_t quietFor() const { return quiet; }

private:
    Voice current;
    Voice fading;
    // Before the first sound it has been quiet for ever.
    std::int64_t quiet = std::int64_t(1) << 40;
};

} // namespace sound
