#include "support/fakeplatform.h"
#include "support/testmain.h"

#include "app/form1.h"
#include "platform/qtplatform.h"
#include "sound/tones.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <numbers>

namespace
{

// The game's real sound, and the fake's answers and boxes for everything else.
class SoundPlatform final : public Platform
{
public:
    FakePlatform fake;
    QtPlatform real;

    Answer messageBox(QWidget* parent, const QString& text, const QString& title, Buttons buttons,
                      Icon icon) override
    {
        return fake.messageBox(parent, text, title, buttons, icon);
    }
    QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                     const QString& preset) override
    {
        return fake.inputBox(parent, prompt, title, preset);
    }
    void seedRandom() override { real.seedRandom(); }
    float nextRandom() override { return real.nextRandom(); }
    QString programDirectory() override { return fake.programDirectory(); }
    void endProgram() override { fake.endProgram(); }
    QString openSound() override { return real.openSound(); }
    void playSound(Sound sound, int colour) override { real.playSound(sound, colour); }
    QString closeSound() override { return real.closeSound(); }
};

// A PulseAudio server of the test's own, in its own folder, with one null sink whose monitor
// parec records; the game finds it through PULSE_SERVER.
struct PrivateServer {
    QTemporaryDir dir;
    QProcess server;
    QProcess recorder;

    QString socket() const { return dir.filePath(QStringLiteral("native")); }
    bool start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        server.setProcessEnvironment(env);
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start(
            QStringLiteral("pulseaudio"),
            {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
             QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
             QStringLiteral("--log-level=error"), QStringLiteral("-L"),
             QStringLiteral("module-null-sink sink_name=gz"), QStringLiteral("-L"),
             QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket()});
        if (!server.waitForStarted(30000) ||
            !QTest::qWaitFor([&] { return QFile::exists(socket()); }, 60000))
            return false;
        qputenv("PULSE_SERVER", ("unix:" + socket()).toLocal8Bit());
        recorder.start(QStringLiteral("parec"),
                       {QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                        QStringLiteral("--rate=%1").arg(sound::sampleRate),
                        QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=10"),
                        QStringLiteral("--device=gz.monitor")});
        return recorder.waitForStarted(30000);
    }
    // What the monitor heard, as samples.
    std::vector<std::int16_t> recording()
    {
        recorder.terminate();
        recorder.waitForFinished(30000);
        const QByteArray bytes = recorder.readAllStandardOutput();
        std::vector<std::int16_t> samples(std::size_t(bytes.size()) / 2);
        std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
        return samples;
    }
    ~PrivateServer()
    {
        recorder.kill();
        recorder.waitForFinished();
        server.kill();
        server.waitForFinished();
        qunsetenv("PULSE_SERVER");
    }
};

double power(const std::vector<std::int16_t>& x, std::size_t from, std::size_t n, double frequency)
{
    const double c = 2 * std::cos(2 * std::numbers::pi * frequency / sound::sampleRate);
    double s1 = 0, s2 = 0;
    for (std::size_t i = from; i < from + n; ++i) {
        const double s = x[i] + c * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return s1 * s1 + s2 * s2 - c * s1 * s2;
}

// Each sound heard, in order, by the strongest of the game's frequencies at its start: the colour
// 1 to 4, or 0 for the wrong press's low note. A sound starts where the signal rises above a
// twentieth of a tone's peak after 50 ms of quiet.
QList<int> soundsHeard(const std::vector<std::int16_t>& x)
{
    const int threshold = int(32767 * sound::peak / 20);
    const std::size_t quiet = sound::sampleRate / 20;
    const std::size_t window = sound::sampleRate / 20;
    QList<int> heard;
    std::size_t lastLoud = 0;
    bool sounding = false;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (std::abs(int(x[i])) < threshold) {
            sounding = sounding && i - lastLoud <= quiet;
            continue;
        }
        if (!sounding && i + window <= x.size()) {
            int strongest = 0;
            double most = power(x, i, window, sound::wrongFrequency);
            for (int colour = 1; colour <= 4; ++colour) {
                const double p = power(x, i, window, sound::toneFrequency(colour));
                if (p > most) {
                    most = p;
                    strongest = colour;
                }
            }
            heard << strongest;
        }
        sounding = true;
        lastLoud = i;
    }
    return heard;
}

} // namespace

class SoundTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty())
            GZ_SKIP("PulseAudio's server and parec are needed (packages pulseaudio, "
                    "pulseaudio-utils)");
    }

    // A real round with "Töne spielen": each colour's tone, then a right press and a wrong one,
    // as the null sink's monitor records them, with the real timers at "schnell".
    void aRoundIsHeard()
    {
        PrivateServer pulse;
        QVERIFY(pulse.start());
        SoundPlatform platform;
        QTemporaryDir dir;
        platform.fake.directory = dir.path();
        Form1 w(platform);
        w.readoptions({QStringLiteral("graue-zellen"), QStringLiteral("--toene")});
        w.schnell_Click();
        w.targetcount = 3;
        w.Command1_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.Command3->isHidden(), 60000);
        QPushButton* const buttons[] = {w.Command3, w.Command4, w.Command5, w.Command6};
        buttons[w.shownseq[1] - 1]->click();
        QTest::qWait(500);
        const int wrong = w.shownseq[2] % 4 + 1;
        buttons[wrong - 1]->click();
        QTest::qWait(1000);
        QList<int> expected;
        for (int k = 1; k <= 3; ++k)
            expected << w.shownseq[size_t(k)];
        expected << w.shownseq[1] << 0;
        QCOMPARE(soundsHeard(pulse.recording()), expected);
        QVERIFY(platform.fake.boxes.isEmpty());
        QVERIFY(w.toene->isChecked());
    }

    // The server goes away after the first colour: the round goes on as without sound, and at
    // its end the player is told once why the tones stopped. Ticked again with no server, the
    // setting says at once that there is none.
    void theServerGoesAway()
    {
        auto pulse = std::make_unique<PrivateServer>();
        QVERIFY(pulse->start());
        SoundPlatform platform;
        QTemporaryDir dir;
        platform.fake.directory = dir.path();
        Form1 w(platform);
        w.readoptions({QStringLiteral("graue-zellen"), QStringLiteral("--toene")});
        w.schnell_Click();
        w.targetcount = 3;
        w.Command1_Click();
        QTRY_VERIFY_WITH_TIMEOUT(w.Timer2->isActive(), 60000);
        pulse.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!w.Command3->isHidden(), 60000);
        QCOMPARE(w.showncount - 1, 3);
        QVERIFY(platform.fake.boxes.isEmpty());
        QPushButton* const buttons[] = {w.Command3, w.Command4, w.Command5, w.Command6};
        for (int k = 1; k <= 3; ++k)
            buttons[w.shownseq[size_t(k)] - 1]->click();
        QCOMPARE(w.Label2->text(), QStringLiteral("Super, Sie haben alles behalten!"));
        QCOMPARE(platform.fake.boxes.size(), 1);
        QCOMPARE(platform.fake.boxes[0].text,
                 QStringLiteral("Die Töne sind während der Runde verstummt. Die Verbindung zum "
                                "Tondienst ist abgebrochen."));
        QVERIFY(!w.toene->isChecked());
        w.toene->trigger();
        QCOMPARE(platform.fake.boxes.size(), 2);
        QVERIFY(platform.fake.boxes[1].text.startsWith(
            QStringLiteral("Es können keine Töne gespielt werden. Es läuft kein Tondienst")));
        QVERIFY(!w.toene->isChecked());
    }
};

GZ_TEST_MAIN(SoundTest)
#include "tst_sound.moc"
