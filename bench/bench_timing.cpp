// Plays real presentations at every speed with the real timers: on the kernel's deadline timer
// with the game's hand-over from each tick's due time, the same with the old hand-over from the
// moment each handler ran, and on the QTimer fallback; measures how exactly the colours and the
// gaps between them keep their nominal lengths, and how far each presentation drifts.
#include "app/appsetup.h"
#include "app/form1.h"
#include "benchstats.h"
#include "platform/qtplatform.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <cmath>
#include <cstdio>

#ifdef Q_OS_LINUX
#include <cstdint>
#include <ctime>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace
{

struct Deviations {
    std::vector<double> display; // ms beyond the display time
    std::vector<double> gap;     // ms beyond 750 ms
    double drift = 0;            // ms beyond the nominal length of the whole presentation
};

void report(const char* backend, const char* name, const std::vector<double>& values)
{
    std::printf("  %-17s %-8s n=%3zu  min %+6.3f  median %+6.3f  p99 %+6.3f  max %+6.3f ms\n",
                backend, name, values.size(), quantile(values, 0.0), median(values),
                quantile(values, 0.99), quantile(values, 1.0));
}

// How the timers hand over: from the due time of the tick being handled (the game's rule), or
// from the moment the handler runs (the old rule, whose lateness adds up over a presentation).
enum class Rule { TickDue, Handler };

Deviations present(Form1& form, int length, QAction* speed, IntervalTimer::Backend backend,
                   Rule rule = Rule::TickDue)
{
    for (IntervalTimer* timer : {form.Timer1, form.Timer2}) {
        timer->setBackend(backend);
        timer->setCountFromTickDue(rule == Rule::TickDue);
    }
    speed->trigger();
    form.targetcount = length;
    const int display = form.Timer2->interval();
    const int gapMs = form.Timer1->interval();

    Deviations result;
    QElapsedTimer clock;
    double last = 0;
    QEventLoop loop;
    // Connected after the game's own handlers: each moment is taken right after the handler ran.
    const auto gapEnded = QObject::connect(form.Timer1, &IntervalTimer::timeout, [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6;
        result.gap.push_back(now - last - gapMs);
        last = now;
        if (!form.Timer1->isActive() && !form.Timer2->isActive())
            loop.quit();
    });
    const auto colourEnded = QObject::connect(form.Timer2, &IntervalTimer::timeout, [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6;
        result.display.push_back(now - last - display);
        last = now;
    });
    clock.start();
    form.Command1_Click();
    loop.exec();
    result.drift = last - double((length + 1) * gapMs + length * display);
    QObject::disconnect(gapEnded);
    QObject::disconnect(colourEnded);
    form.Command2_Click();
    return result;
}

// Stands in for a screen reader's bridge: takes every accessibility update the game sends.
int updatesTaken = 0;
void takeUpdate(QAccessibleEvent*)
{
    ++updatesTaken;
}

#ifdef Q_OS_LINUX
double monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The floor: how late a bare timerfd wakes a thread that waits in poll(), without Qt or the game.
std::vector<double> kernelFloor(int waits, int intervalMs)
{
    std::vector<double> late;
    const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
    if (fd < 0)
        return late;
    for (int i = 0; i < waits; ++i) {
        const double deadline = monotonicMs() + intervalMs;
        itimerspec at{};
        at.it_value.tv_sec = time_t(deadline / 1e3);
        at.it_value.tv_nsec = long((deadline - double(at.it_value.tv_sec) * 1e3) * 1e6);
        timerfd_settime(fd, TFD_TIMER_ABSTIME, &at, nullptr);
        pollfd wait{fd, POLLIN, 0};
        poll(&wait, 1, -1);
        late.push_back(monotonicMs() - deadline);
        std::uint64_t expirations = 0;
        if (read(fd, &expirations, sizeof expirations) < 0)
            break;
    }
    close(fd);
    return late;
}
#endif

} // namespace

int main(int argc, char* argv[])
{
    defaultToOffscreen();
    QApplication application(argc, argv);
    app::setupApplication(application);
    QtPlatform platform;
    Form1 form(platform);

    const struct {
        int length;
        QAction* speed;
        const char* name;
    } runs[] = {{20, form.schnell, "length 20 at schnell (750 ms)"},
                {10, form.mittel, "length 10 at mittel (1500 ms)"},
                {5, form.langsam, "length 5 at langsam (2500 ms)"}};
    double floor = 0;
#ifdef Q_OS_LINUX
    std::puts("the machine's floor: a bare timerfd waited on in poll(), 100 waits of 50 ms");
    const std::vector<double> wakeUps = kernelFloor(100, 50);
    report("bare timerfd", "wake-up", wakeUps);
    floor = median(wakeUps);
#endif
    if (form.Timer1->backend() != IntervalTimer::Backend::KernelDeadline)
        std::puts("no timerfd on this system: every row uses the QTimer fallback");
    const struct {
        IntervalTimer::Backend backend;
        Rule rule;
        const char* name;
    } ways[] = {{IntervalTimer::Backend::KernelDeadline, Rule::TickDue, "timerfd"},
                {IntervalTimer::Backend::KernelDeadline, Rule::Handler, "timerfd, old rule"},
                {IntervalTimer::Backend::QtTimer, Rule::TickDue, "QTimer fallback"}};
    bool met = true;
    for (const auto& run : runs) {
        std::printf("%s\n", run.name);
        for (const auto& way : ways) {
            const Deviations d = present(form, run.length, run.speed, way.backend, way.rule);
            report(way.name, "display", d.display);
            report(way.name, "gaps", d.gap);
            std::printf("  %-17s drift of the whole presentation %+.2f ms\n", way.name, d.drift);
            if (way.backend == IntervalTimer::Backend::KernelDeadline &&
                way.rule == Rule::TickDue) {
                // A colour shows from one handler to the next: their lateness differs a little
                // either way, but no longer adds up.
                for (const std::vector<double>* kind : {&d.display, &d.gap})
                    met = met && std::abs(median(*kind)) <= 0.3 && quantile(*kind, 1.0) <= 1.0 &&
                          quantile(*kind, 0.0) >= -1.0;
                met = met && std::abs(d.drift - floor) <= 2.0;
            }
        }
    }
    std::printf("goals for timerfd, display times and gaps at every speed: median within 0.3 ms, "
                "none off by more than 1 ms; drift of every presentation within 2 ms of the "
                "floor's median wake-up (%.3f ms): %s\n",
                floor, met ? "met" : "NOT met");

    // The announcements for screen readers, once with nothing listening (as every run above)
    // and once with every update taken, as the accessibility bridge takes them.
    std::puts("length 20 at schnell on timerfd: announcements not listened to, and taken");
    for (const bool listening : {false, true}) {
        QAccessible::installUpdateHandler(listening ? takeUpdate : nullptr);
        QAccessible::setActive(listening);
        updatesTaken = 0;
        const Deviations d =
            present(form, 20, form.schnell, IntervalTimer::Backend::KernelDeadline);
        const char* name = listening ? "taken" : "not listened to";
        report(name, "display", d.display);
        report(name, "gaps", d.gap);
        std::printf("  %-17s drift of the whole presentation %+.2f ms, %d updates taken\n", name,
                    d.drift, updatesTaken);
    }
    return 0;
}
