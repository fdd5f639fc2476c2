#include "support/testmain.h"

#include "sound/tones.h"
#include "support/heard.h"

#include <vector>

using sound::Kind;

namespace
{

// The power of one frequency in n samples from a position.
double power(const std::vector<std::int16_t>& x, std::size_t from, std::size_t n, double frequency)
{
    return heard::power(x.data() + from, n, frequency);
}

double rms(const std::vector<std::int16_t>& x, std::size_t from, std::size_t n)
{
    double sum = 0;
    for (std::size_t i = from; i < from + n; ++i)
        sum += double(x[i]) * x[i];
    return std::sqrt(sum / double(n));
}

// Where the sound ends: one past its last sample that is not silent.
std::size_t soundEnd(const std::vector<std::int16_t>& x)
{
    std::size_t end = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (x[i] != 0)
            end = i + 1;
    return end;
}

// The largest step between two samples after the fade-in: a click shows as a jump.
int largestStep(const std::vector<std::int16_t>& x)
{
    int largest = 0;
    for (std::size_t i = 1; i < x.size(); ++i)
        largest = std::max(largest, std::abs(int(x[i]) - int(x[i - 1])));
    return largest;
}

constexpr std::size_t ms(int m)
{
    return std::size_t(sound::sampleRate / 1000 * m);
}

} // namespace

class TonesTest : public QObject
{
    Q_OBJECT
private slots:
    // One sound from silence: held for a second and then silenced, or left to end by itself.
    // Each has its frequency, rises from silence and falls back without a click, never goes
    // beyond its peak and lasts as long as it should; the four tones are equally loud.
    void sounds_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("colour");
        QTest::addColumn<double>("frequency");
        QTest::addColumn<int>("endsMs"); // silenced at 1000 ms, or by itself
        const int held = 1005;
        QTest::newRow("GRÜN held") << int(Kind::Tone) << 1 << 392.0 << held;
        QTest::newRow("ROT held") << int(Kind::Tone) << 2 << 523.25 << held;
        QTest::newRow("BLAU held") << int(Kind::Tone) << 3 << 659.26 << held;
        QTest::newRow("GELB held") << int(Kind::Tone) << 4 << 880.0 << held;
        QTest::newRow("ROT pressed") << int(Kind::Press) << 2 << 523.25 << 300;
        QTest::newRow("wrong press") << int(Kind::Wrong) << 3 << 110.0 << 500;
    }
    void sounds()
    {
        QFETCH(int, kind);
        QFETCH(int, colour);
        QFETCH(double, frequency);
        QFETCH(int, endsMs);
        sound::Synth synth;
        std::vector<std::int16_t> x(ms(1500));
        synth.start(Kind(kind), colour);
        synth.render(x.data(), ms(1000));
        synth.start(Kind::Silence);
        synth.render(x.data() + ms(1000), x.size() - ms(1000));

        // Its own frequency, stronger than any other of the game's.
        const double own = power(x, ms(50), ms(200), frequency);
        for (const double other : {392.0, 523.25, 659.26, 880.0, 110.0}) {
            if (other != frequency)
                QVERIFY2(own > 20 * power(x, ms(50), ms(200), other),
                         qPrintable(QString::number(other)));
        }
        // From silence and back, over a few milliseconds each way.
        QVERIFY(std::abs(x[0]) < 200);
        QVERIFY(rms(x, 0, ms(1)) < rms(x, ms(10), ms(5)) / 4);
        QVERIFY(std::abs(int(soundEnd(x)) - int(ms(endsMs))) <= int(ms(1)));
        QVERIFY(largestStep(x) < 32767 * sound::peak * 0.25);
        // Loud, and never beyond its peak.
        int loudest = 0;
        for (const std::int16_t s : x)
            loudest = std::max(loudest, std::abs(int(s)));
        QVERIFY(loudest <= int(32767 * sound::peak) + 1);
        QVERIFY(loudest > int(32767 * sound::peak * 0.6));
        // The four tones equally loud.
        if (kind == int(Kind::Tone)) {
            sound::Synth green;
            std::vector<std::int16_t> y(ms(500));
            green.start(Kind::Tone, 1);
            green.render(y.data(), y.size());
            QVERIFY(std::abs(rms(x, ms(100), ms(400)) / rms(y, ms(100), ms(400)) - 1) < 0.02);
        }
    }

    // A press cut short by the next: the first fades out, the next starts at once, no click and
    // no sum beyond full scale; the next press lasts its whole length.
    void pressCutShort()
    {
        sound::Synth synth;
        std::vector<std::int16_t> x(ms(600));
        synth.start(Kind::Press, 1);
        synth.render(x.data(), ms(100));
        synth.start(Kind::Press, 4);
        synth.render(x.data() + ms(100), x.size() - ms(100));
        QVERIFY(largestStep(x) < 32767 * sound::peak * 0.25);
        QVERIFY(std::abs(int(soundEnd(x)) - int(ms(400))) <= int(ms(1)));
        QVERIFY(power(x, ms(110), ms(200), 880.0) > 20 * power(x, ms(110), ms(200), 392.0));
        QVERIFY(synth.quietFor() >= std::int64_t(ms(190)));
    }

    // Between 200 and 1000 Hz, each at least three semitones above the last.
    void tonesApart()
    {
        for (int colour = 1; colour <= 4; ++colour) {
            const double f = sound::toneFrequency(colour);
            QVERIFY(f >= 200 && f <= 1000);
            if (colour > 1)
                QVERIFY(12 * std::log2(f / sound::toneFrequency(colour - 1)) >= 3 - 1e-3);
        }
    }
};

GZ_TEST_MAIN(TonesTest)
#include "tst_tones.moc"
