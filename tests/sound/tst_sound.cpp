#include "support/formfixture.h"
#include "support/testmain.h"

#include "app/form1.h"
#include "platform/qtplatform.h"
#include "sound/tones.h"
#include "support/heard.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace
{

// The latency that the server's one sink is configured for, as pactl tells it.
long sinkLatencyUs()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("sinks")});
    if (!pactl.waitForFinished(30000))
        return -1;
    static const QRegularExpression configured(QStringLiteral("configured (\\d+) usec"));
    const QRegularExpressionMatch found =
        configured.match(QString::fromUtf8(pactl.readAllStandardOutput()));
    return found.hasMatch() ? found.captured(1).toLong() : -1;
}

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
        // Recording once the first samples of the sink's silence come, and the sink has taken
        // up the recording's short latency: an idle null sink runs in blocks of 2 s until its
        // next block begins, which would hold the first tone back.
        return recorder.waitForStarted(30000) && recorder.waitForReadyRead(30000) &&
               QTest::qWaitFor(
                   [] {
                       const long latency = sinkLatencyUs();
                       return latency >= 0 && latency < 100000;
                   },
                   60000);
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

// Which sounds the recording holds, in order: colours 1 to 4, 0 for a wrong press.
QList<int> soundsHeard(const std::vector<std::int16_t>& x)
{
    QList<int> which;
    for (const heard::Sound& s : heard::sounds(x)) {
        qInfo("heard %d from %zu ms to %zu ms", s.which, s.start * 1000 / sound::sampleRate,
              s.end * 1000 / sound::sampleRate);
        which << s.which;
    }
    return which;
}

// The game on the private server with "Töne spielen" ticked, started on a round of GRÜN, GELB,
// ROT at "schnell", with the real timers.
struct SoundRound : FormFixture {
    std::unique_ptr<PrivateServer> pulse = std::make_unique<PrivateServer>();
    QtPlatform real;

    bool start()
    {
        if (!pulse->start())
            return false;
        platform.soundThrough = &real;
        form->readoptions({QStringLiteral("graue-zellen"), QStringLiteral("--toene")});
        form->schnell_Click();
        form->targetcount = 3;
        platform.randoms = randomsFor({1, 4, 2});
        form->Command1_Click();
        return true;
    }
};

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
        SoundRound r;
        QVERIFY(r.start());
        Form1& w = *r.form;
        QTRY_VERIFY_WITH_TIMEOUT(!w.Command3->isHidden(), 60000);
        r.answer({1});
        QTest::qWait(500);
        r.answer({2});
        QTest::qWait(1000);
        QCOMPARE(soundsHeard(r.pulse->recording()), (QList<int>{1, 4, 2, 1, 0}));
        QVERIFY(r.platform.boxes.isEmpty());
        QVERIFY(w.toene->isChecked());
    }

    // The server goes away after the first colour: the round goes on as without sound, and at
    // its end the player is told once why the tones stopped. Ticked again with no server, the
    // setting says at once that there is none.
    void theServerGoesAway()
    {
        SoundRound r;
        QVERIFY(r.start());
        Form1& w = *r.form;
        const QList<FakePlatform::Box>& boxes = r.platform.boxes;
        QTRY_VERIFY_WITH_TIMEOUT(w.Timer2->isActive(), 60000);
        r.pulse.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!w.Command3->isHidden(), 60000);
        QCOMPARE(w.showncount - 1, 3);
        QVERIFY(boxes.isEmpty());
        r.answer({1, 4, 2});
        QCOMPARE(w.Label2->text(), QStringLiteral("Super, Sie haben alles behalten!"));
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QStringLiteral("Die Töne sind während der Runde verstummt. Die "
                                               "Verbindung zum Tondienst ist abgebrochen."));
        QVERIFY(!w.toene->isChecked());
        w.toene->trigger();
        QCOMPARE(boxes.size(), 2);
        QVERIFY(boxes[1].text.startsWith(
            QStringLiteral("Es können keine Töne gespielt werden. Es läuft kein Tondienst")));
        QVERIFY(!w.toene->isChecked());
    }
};

GZ_TEST_MAIN(SoundTest)
#include "tst_sound.moc"
