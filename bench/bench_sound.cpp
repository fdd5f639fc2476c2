// The tones against the picture, measured from outside the game: a real round at "schnell" with
// 10 colours, played by the game's own window and platform, while one thread reads the square's
// pixel from the X server about every millisecond and another records the sound server's monitor
// of its default sink. It prints when each tone starts against its colour's appearance on the X
// server and when it ends against the black square, each tone's frequency, the display and gap
// times of the picture, the same round with "Töne spielen" unticked (whose recording must be
// silent), and the game's wake-ups in 20 s without input after each round. Needs an X display
// with a window manager and a sound server, e.g. a private PulseAudio with a null sink (README).
// First, without any server: how long the window's handlers take with a server that accepts the
// game's connection and never answers, and how often the player is told.
#include "app/appsetup.h"
#include "app/form1.h"
#include "benchstats.h"
#include "platform/qtplatform.h"
#include "sound/tones.h"
#include "support/fakeplatform.h"
#include "support/heard.h"

#include <QApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <QTemporaryDir>

#include <pulse/error.h>
#include <pulse/simple.h>
#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <mutex>
#include <numbers>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace
{

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point origin, Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(t - origin).count();
}

// What the X server shows at one point: 0 none of the colours, 1 to 4 a colour, 5 black.
struct Change {
    double ms;
    int shown;
};

int classify(uint32_t pixel)
{
    const int r = int((pixel >> 16) & 0xff), g = int((pixel >> 8) & 0xff), b = int(pixel & 0xff);
    const auto is = [&](int rr, int gg, int bb) {
        return std::abs(r - rr) < 40 && std::abs(g - gg) < 40 && std::abs(b - bb) < 40;
    };
    if (is(0, 255, 0))
        return 1;
    if (is(255, 0, 0))
        return 2;
    if (is(0, 0, 255))
        return 3;
    if (is(255, 255, 0))
        return 4;
    if (is(0, 0, 0))
        return 5;
    return 0;
}

// Samples of the monitor, and when the first of them was heard.
struct Recording {
    std::vector<int16_t> samples;
    // Pairs of (index of a sample, when it was heard), one per read; fitted to a line later.
    std::vector<std::pair<double, double>> stamps;
};

struct Round {
    // When the game's timers ticked: each colour's tick and each black square's.
    std::vector<double> colourTicks, blackTicks;
    std::vector<Change> picture;
    Recording sound;
    QList<int> colours;
};

Round playRound(Form1& w, bool tones, Clock::time_point origin)
{
    Round round;
    std::atomic<bool> stop{false};
    const QPoint centre = w.Shape9->mapToGlobal(w.Shape9->rect().center());

    std::thread watcher([&] {
        xcb_connection_t* x = xcb_connect(nullptr, nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
        int last = -1;
        while (!stop) {
            const auto asked = Clock::now();
            xcb_get_image_reply_t* reply = xcb_get_image_reply(
                x,
                xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(centre.x()),
                              int16_t(centre.y()), 1, 1, ~0u),
                nullptr);
            const auto answered = Clock::now();
            if (reply) {
                uint32_t pixel = 0;
                std::memcpy(&pixel, xcb_get_image_data(reply), 4);
                std::free(reply);
                const int shown = classify(pixel);
                if (shown != last) {
                    // Between the question and the answer: the middle is the best guess.
                    round.picture.push_back(
                        {(msSince(origin, asked) + msSince(origin, answered)) / 2, shown});
                    last = shown;
                }
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        xcb_disconnect(x);
    });

    std::thread recorder([&] {
        const pa_sample_spec format{PA_SAMPLE_S16LE, sound::sampleRate, 1};
        const pa_buffer_attr buffer{uint32_t(-1), uint32_t(-1), uint32_t(-1), uint32_t(-1),
                                    uint32_t(sound::sampleRate / 1000 * 2)};
        int error = 0;
        pa_simple* monitor =
            pa_simple_new(nullptr, "bench_sound", PA_STREAM_RECORD, "@DEFAULT_MONITOR@", "monitor",
                          &format, nullptr, &buffer, &error);
        if (!monitor) {
            std::fprintf(stderr, "bench_sound: no sound server to record: %s\n",
                         pa_strerror(error));
            std::exit(1);
        }
        int16_t chunk[48];
        while (!stop) {
            if (pa_simple_read(monitor, chunk, sizeof chunk, &error) < 0)
                break;
            round.sound.samples.insert(round.sound.samples.end(), std::begin(chunk),
                                       std::end(chunk));
            round.sound.stamps.push_back(
                {double(round.sound.samples.size() - 1), msSince(origin, Clock::now())});
        }
        pa_simple_free(monitor);
    });

    const QMetaObject::Connection ticks[] = {
        QObject::connect(w.Timer1, &IntervalTimer::timeout, &w,
                         [&] {
                             if (w.Timer2->isActive())
                                 round.colourTicks.push_back(msSince(origin, Clock::now()));
                         }),
        QObject::connect(w.Timer2, &IntervalTimer::timeout, &w,
                         [&] { round.blackTicks.push_back(msSince(origin, Clock::now())); })};
    // A null sink that was idle runs in blocks of 2 s until its next block begins: only then
    // does it take up the short latency that the recording and the game ask for.
    QTest::qWait(2500);
    w.toene->setChecked(tones);
    w.Command1_Click();
    if (!QTest::qWaitFor([&] { return !w.Command3->isHidden(); }, 60000))
        std::fputs("bench_sound: the round never ended\n", stderr);
    QTest::qWait(500);
    stop = true;
    watcher.join();
    recorder.join();
    for (int k = 1; k <= w.showncount - 1; ++k)
        round.colours << w.shownseq[size_t(k)];
    w.Command2_Click();
    for (const auto& tick : ticks)
        QObject::disconnect(tick);
    return round;
}

// When sample i was heard. The sink plays its samples one after another at its rate, and a read
// returns each no earlier than the sink played it: the earliest arrival of any read, less its
// position, places the whole recording. Reads from the first two seconds are left out, while the
// sink may still be starting.
struct Timeline {
    double origin = 0;
    double spread = 0;
    explicit Timeline(const std::vector<std::pair<double, double>>& stamps)
    {
        std::vector<double> offsets;
        for (const auto& [index, arrived] : stamps) {
            if (index >= 2.0 * sound::sampleRate)
                offsets.push_back(arrived - (index + 1) * 1000.0 / sound::sampleRate);
        }
        origin = quantile(offsets, 0);
        spread = median(offsets) - origin;
    }
    double at(double i) const { return origin + i * 1000.0 / sound::sampleRate; }
};

// Voluntary context switches of all the process's threads: each is a wake-up from a wait.
long wakeUps()
{
    long total = 0;
    DIR* tasks = opendir("/proc/self/task");
    while (dirent* task = readdir(tasks)) {
        if (task->d_name[0] != '.')
            total += statusKiB(std::string("/proc/self/task/") + task->d_name + "/status",
                               "voluntary_ctxt_switches:");
    }
    closedir(tasks);
    return total;
}

// The event loop alone, as the game waits for input (QTest::qWait would poll).
long idleWakeUps(int seconds)
{
    const long before = wakeUps();
    QEventLoop idle;
    QTimer::singleShot(seconds * 1000, &idle, &QEventLoop::quit);
    idle.exec();
    return wakeUps() - before;
}

void report(const Round& round, bool tones)
{
    // The picture: each colour's appearance and the black square after it.
    std::vector<double> shownAt, blackAt, displays, gaps;
    for (size_t i = 0; i < round.picture.size(); ++i) {
        const Change& c = round.picture[i];
        if (c.shown >= 1 && c.shown <= 4) {
            if (!blackAt.empty())
                gaps.push_back(c.ms - blackAt.back());
            shownAt.push_back(c.ms);
        } else if (c.shown == 5 && shownAt.size() > blackAt.size()) {
            blackAt.push_back(c.ms);
            displays.push_back(c.ms - shownAt.back());
        }
    }
    if (qEnvironmentVariableIsSet("GZ_BENCH_VERBOSE"))
        for (const Change& c : round.picture)
            std::printf("    picture %d at %.1f ms\n", c.shown, c.ms);
    std::vector<double> colourLate, blackLate;
    for (size_t k = 0; k < shownAt.size() && k < round.colourTicks.size(); ++k)
        colourLate.push_back(shownAt[k] - round.colourTicks[k]);
    for (size_t k = 0; k < blackAt.size() && k < round.blackTicks.size(); ++k)
        blackLate.push_back(blackAt[k] - round.blackTicks[k]);
    std::printf("  picture after its tick's handler: colour median %.1f ms (max %.1f), black "
                "median %.1f ms (max %.1f)\n",
                median(colourLate), quantile(colourLate, 1), median(blackLate),
                quantile(blackLate, 1));
    std::printf("  picture: %zu colours; display median %.1f ms (min %.1f, max %.1f), gap median "
                "%.1f ms (min %.1f, max %.1f)\n",
                shownAt.size(), median(displays), quantile(displays, 0), quantile(displays, 1),
                median(gaps), quantile(gaps, 0), quantile(gaps, 1));

    const std::vector<int16_t>& x = round.sound.samples;
    // The recording itself, to be looked at or listened to: raw, mono, 16 bits at 48 kHz.
    if (const QByteArray path = qgetenv("GZ_BENCH_RECORDING"); !path.isEmpty() && tones) {
        std::ofstream(path.constData(), std::ios::binary)
            .write(reinterpret_cast<const char*>(x.data()), std::streamsize(x.size() * 2));
        std::printf("  recording written to %s; its sample 0 is at %.1f ms\n", path.constData(),
                    Timeline(round.sound.stamps).at(0));
    }
    int loudest = 0;
    for (const int16_t s : x)
        loudest = std::max(loudest, std::abs(int(s)));
    std::printf("  recording: %.1f s, loudest sample %d of 32767\n",
                double(x.size()) / sound::sampleRate, loudest);
    if (!tones || x.empty())
        return;

    const Timeline time(round.sound.stamps);
    std::vector<double> starts, stops;
    QList<int> heard;
    const std::vector<heard::Sound> sounds = heard::sounds(x);
    for (std::size_t k = 0; k < sounds.size(); ++k) {
        heard << sounds[k].which;
        if (qEnvironmentVariableIsSet("GZ_BENCH_VERBOSE"))
            std::printf("    sound from %.1f ms to %.1f ms, colour %d\n",
                        time.at(double(sounds[k].start)), time.at(double(sounds[k].end)),
                        sounds[k].which);
        if (k < shownAt.size())
            starts.push_back(time.at(double(sounds[k].start)) - shownAt[k]);
        if (k < blackAt.size())
            stops.push_back(time.at(double(sounds[k].end)) - blackAt[k]);
    }
    QStringList shownNames, heardNames;
    for (const int c : round.colours)
        shownNames << QString::number(c);
    for (const int c : heard)
        heardNames << QString::number(c);
    std::printf("  colours shown %s, tones heard %s: %s\n", qPrintable(shownNames.join(' ')),
                qPrintable(heardNames.join(' ')),
                heard == round.colours ? "each at its colour's frequency" : "DIFFERENT");
    std::printf("  the recording's timeline: reads arrive a median %.1f ms after the earliest\n",
                time.spread);
    std::printf("  tone start - colour shown: median %+.1f ms, min %+.1f, max %+.1f\n",
                median(starts), quantile(starts, 0), quantile(starts, 1));
    std::printf("  tone end - black square:   median %+.1f ms, min %+.1f, max %+.1f\n",
                median(stops), quantile(stops, 0), quantile(stops, 1));
    // A click is a step between two samples steeper than any tone of the game's has.
    int steepest = 0;
    for (int colour = 1; colour <= 4; ++colour) {
        sound::Synth synth;
        std::vector<int16_t> tone(sound::sampleRate / 2);
        synth.start(sound::Kind::Tone, colour);
        synth.render(tone.data(), tone.size());
        for (size_t i = 1; i < tone.size(); ++i)
            steepest = std::max(steepest, std::abs(tone[i] - tone[i - 1]));
    }
    // A run of exact zeros inside a sound is a cycle the server or the machine missed (an
    // underrun, also of any other program's stream there): counted apart, its edges left out.
    int dropouts = 0;
    std::vector<bool> edge(x.size(), false);
    for (size_t i = 1, run = 0; i < x.size(); ++i) {
        run = x[i] == 0 ? run + 1 : 0;
        if (run == 64 && i >= run && std::abs(x[i - run]) > 300) {
            ++dropouts;
            for (size_t k = i - run; k < std::min(x.size(), i + 2048); ++k)
                edge[k] = true;
        }
    }
    int largest = 0;
    size_t at = 0;
    for (size_t i = 1; i < x.size(); ++i) {
        if (!edge[i] && !edge[i - 1] && std::abs(x[i] - x[i - 1]) > largest) {
            largest = std::abs(x[i] - x[i - 1]);
            at = i;
        }
    }
    std::printf("  dropouts inside a sound (runs of silence, the server's or the machine's): %d\n",
                dropouts);
    std::printf("  largest step between two samples: %d at %.1f ms (the steepest tone's own: %d)\n",
                largest, time.at(double(at)), steepest);
}

// A sound server that takes the connection and never answers: a socket that listens, and nothing
// behind it.
struct SilentServer {
    QTemporaryDir dir;
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    SilentServer()
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("native")));
        std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd, 16) != 0)
            std::perror("bench_sound: the silent server");
        qputenv("PULSE_SERVER", "unix:" + path);
    }
    ~SilentServer() { ::close(fd); }
};

// The longest a handler keeps the window's thread while the server never answers: Start, the
// colours' ticks and the setting ticked again during the round.
void stalls()
{
    const QByteArray server = qgetenv("PULSE_SERVER");
    std::vector<double> start, ticks, retick;
    qsizetype told = 0;
    {
        SilentServer silent;
        QtPlatform real;
        FakePlatform platform;
        platform.soundThrough = &real;
        Form1 w(platform);
        w.readoptions({QStringLiteral("graue-zellen"), QStringLiteral("--toene")});
        w.schnell_Click();
        w.targetcount = 3;
        const auto timed = [](std::vector<double>& into, const auto& handler) {
            const auto before = Clock::now();
            handler();
            into.push_back(msSince(before, Clock::now()));
        };
        timed(start, [&] { w.Command1_Click(); });
        for (int k = 0; k < 3; ++k) {
            timed(ticks, [&] { w.Timer1_Timer(); });
            // The player ticks the setting again where the game has unticked it.
            if (!w.toene->isChecked())
                timed(retick, [&] { w.toene->trigger(); });
            // Meanwhile the server has had its time to answer, or not.
            QTest::qWait(1000);
            timed(ticks, [&] { w.Timer2_Timer(); });
        }
        w.Timer1_Timer();
        w.Command2_Click();
        QTest::qWait(2000);
        told = platform.boxes.size();
    }
    qputenv("PULSE_SERVER", server);
    std::printf("A server that takes the connection and never answers, \"Töne spielen\" ticked, a "
                "round of 3 colours:\n");
    std::printf("  the window's thread held by Start: %.1f ms; by a colour's tick: longest %.1f ms "
                "of %zu; by ticking the setting again: longest %.1f ms of %zu\n",
                quantile(start, 1), quantile(ticks, 1), ticks.size(), quantile(retick, 1),
                retick.size());
    std::printf("  the player was told %lld times\n", static_cast<long long>(told));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fputs("bench_sound: needs an X display; see the README\n", stderr);
        return 1;
    }
    app::setupApplication(application);
    QtPlatform platform;
    Form1 w(platform);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return 1;
    stalls();
    w.schnell_Click();
    w.es10_Click();
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 20;
    const auto origin = Clock::now();
    for (const bool tones : {true, false}) {
        std::printf("\"Töne spielen\" %s, a round of 10 colours at \"schnell\":\n",
                    tones ? "ticked" : "unticked");
        report(playRound(w, tones, origin), tones);
        QTest::qWait(1000);
        std::printf("  wake-ups of all the game's threads in %d s without input after the round: "
                    "%ld\n",
                    idleSeconds, idleWakeUps(idleSeconds));
    }
    return 0;
}
