#include "support/formfixture.h"
#include "support/testmain.h"

#include "app/form1.h"
#include "platform/qtplatform.h"
#include "sound/pulseoutput.h"
#include "sound/tones.h"
#include "support/heard.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace
{

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The latency that the server's one sink is configured for, as pactl tells it.
long sinkLatencyUs()
{
    static const QRegularExpression configured(QStringLiteral("configured (\\d+) usec"));
    const QRegularExpressionMatch found = configured.match(
        run(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("sinks")}));
    return found.hasMatch() ? found.captured(1).toLong() : -1;
}

// A sound server of the test's own (sound_server.sh: PulseAudio, or PipeWire with WirePlumber and
// its PulseAudio service), in its own folder, with one null sink whose monitor parec records; the
// game finds it through PULSE_SERVER.
struct PrivateServer {
    QTemporaryDir dir;
    QProcess server;
    QProcess recorder;

    bool start(const QString& kind)
    {
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start(QStringLiteral("bash"), {QStringLiteral(GZ_SOUND_SERVER), kind, dir.path()});
        if (!server.waitForStarted(30000) ||
            !QTest::qWaitFor([&] { return server.readAllStandardOutput().contains("ready"); },
                             120000))
            return false;
        qputenv("PULSE_SERVER", ("unix:" + dir.filePath(QStringLiteral("native"))).toLocal8Bit());
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
        // The script ends the server's processes as it ends.
        server.terminate();
        if (!server.waitForFinished(30000))
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
    std::unique_ptr<PrivateServer> server = std::make_unique<PrivateServer>();
    QtPlatform real;

    bool start()
    {
        QFETCH_GLOBAL(QString, kind);
        if (!server->start(kind))
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

// The properties of the game's stream as the server lists them, "name = value" each.
QStringList streamProperties()
{
    QStringList properties;
    for (const QString& line :
         run(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("sink-inputs")})
             .split(QLatin1Char('\n'))) {
        const QString item = line.trimmed();
        if (item.startsWith(QLatin1String("application.")) ||
            item.startsWith(QLatin1String("media.")))
            properties << item;
    }
    return properties;
}

} // namespace

class SoundTest : public QObject
{
    Q_OBJECT
private slots:
    // Every row on both servers: PulseAudio, and PipeWire's PulseAudio service, which most
    // desktops of Debian 12 and 13 run.
    void initTestCase_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("PulseAudio") << QStringLiteral("pulseaudio");
        QTest::newRow("PipeWire") << QStringLiteral("pipewire");
    }

    void init()
    {
        QFETCH_GLOBAL(QString, kind);
        QStringList needed{QStringLiteral("parec"), QStringLiteral("pactl")};
        if (kind == QLatin1String("pulseaudio"))
            needed << QStringLiteral("pulseaudio");
        else
            needed << QStringLiteral("pipewire") << QStringLiteral("pipewire-pulse")
                   << QStringLiteral("wireplumber") << QStringLiteral("dbus-daemon");
        for (const QString& program : needed) {
            if (QStandardPaths::findExecutable(program).isEmpty())
                GZ_SKIP("the sound servers and their tools are needed (packages pulseaudio, "
                        "pulseaudio-utils, pipewire, pipewire-pulse, wireplumber, dbus)");
        }
    }

    // A real round with "Töne spielen": each colour's tone, then a right press and a wrong one,
    // as the null sink's monitor records them, with the real timers at "schnell". Meanwhile the
    // server lists the game's stream under the game's name, id, icon and role, which a desktop's
    // volume mixer shows and routes by.
    void aRoundIsHeard()
    {
        SoundRound r;
        QVERIFY(r.start());
        Form1& w = *r.form;
        QStringList properties;
        QTRY_VERIFY_WITH_TIMEOUT(!(properties = streamProperties()).isEmpty(), 60000);
        for (const char* expected : {"application.name = \"Graue Zellen\"",
                                     "application.id = \"de.grauezellen.GraueZellen\"",
                                     "application.icon_name = \"de.grauezellen.GraueZellen\"",
                                     "media.role = \"game\"", "media.name = \"Töne\""})
            QVERIFY2(properties.contains(QString::fromUtf8(expected)),
                     qPrintable(properties.join(QLatin1Char('\n'))));
        QTRY_VERIFY_WITH_TIMEOUT(!w.Command3->isHidden(), 60000);
        r.answer({1});
        QTest::qWait(500);
        r.answer({2});
        QTest::qWait(1000);
        QCOMPARE(soundsHeard(r.server->recording()), (QList<int>{1, 4, 2, 1, 0}));
        QVERIFY(r.platform.boxes.isEmpty());
        QVERIFY(w.toene->isChecked());
    }

    // Each sound takes the place of what the stream holds: the server puts its first sample
    // where it reads, not behind the 30 ms or so that the stream holds (where it would be heard
    // that much later). In samples of the stream, as the server counts them, whatever the
    // machine's speed: a server that reads a cycle at once may have read one more cycle (at
    // most 512 samples here) before the sound reaches it, where it held at least 960.
    void eachSoundReplacesWhatIsHeld_data()
    {
        QTest::addColumn<QList<int>>("before"); // kinds of sound played first, each placed
        QTest::addColumn<int>("sound");
        const auto kind = [](sound::Kind k) { return int(k); };
        QTest::newRow("a tone after silence") << QList<int>{} << kind(sound::Kind::Tone);
        QTest::newRow("a press after silence")
            << QList<int>{kind(sound::Kind::Tone), kind(sound::Kind::Silence)}
            << kind(sound::Kind::Press);
        QTest::newRow("silence over a tone")
            << QList<int>{kind(sound::Kind::Tone)} << kind(sound::Kind::Silence);
        QTest::newRow("a press over a press")
            << QList<int>{kind(sound::Kind::Press)} << kind(sound::Kind::Press);
    }
    void eachSoundReplacesWhatIsHeld()
    {
        QFETCH_GLOBAL(QString, kind);
        QFETCH(QList<int>, before);
        QFETCH(int, sound);
        PrivateServer server;
        QVERIFY(server.start(kind));
        sound::PulseOutput output;
        QList<sound::Placement> placed;
        output.watch([&](const sound::Placement& p) {
            QMetaObject::invokeMethod(&output, [&placed, p] { placed << p; });
        });
        output.open([](sound::Trouble) { QFAIL("the sound broke down"); });
        QTRY_VERIFY_WITH_TIMEOUT(output.ready(), 60000);
        // The stream plays, and the server's read position has moved on a while.
        QTest::qWait(200);
        for (const int first : before) {
            output.play(sound::Kind(first), 2);
            QTRY_COMPARE_WITH_TIMEOUT(placed.size(), 1, 60000);
            QTest::qWait(first == int(sound::Kind::Silence) ? 300 : 150);
            placed.clear();
        }
        output.play(sound::Kind(sound), 3);
        QTRY_COMPARE_WITH_TIMEOUT(placed.size(), 1, 60000);
        const std::int64_t late = placed[0].startsAt - placed[0].readAt;
        qInfo("the sound's first sample %lld samples after the read position", (long long)late);
        QVERIFY2(late >= 0 && late <= 720,
                 qPrintable(QStringLiteral("%1 samples after the read position").arg(late)));
        output.close();
    }

    // The server goes away after the first colour: the round goes on as without sound, and at
    // its end the player is told once why the tones stopped. Ticked again with no server, the
    // setting soon says that there is none.
    void theServerGoesAway()
    {
        SoundRound r;
        QVERIFY(r.start());
        Form1& w = *r.form;
        const QList<FakePlatform::Box>& boxes = r.platform.boxes;
        QTRY_VERIFY_WITH_TIMEOUT(w.Timer2->isActive(), 60000);
        r.server.reset();
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
        QTRY_COMPARE_WITH_TIMEOUT(boxes.size(), 2, 60000);
        QCOMPARE(boxes[1].text,
                 QStringLiteral("Es können keine Töne gespielt werden. Es läuft kein Tondienst."));
        QVERIFY(!w.toene->isChecked());
    }
};

GZ_TEST_MAIN(SoundTest)
#include "tst_sound.moc"
