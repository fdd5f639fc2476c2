#include "app/intervaltimer.h"

#include <QSocketNotifier>

#include <optional>
#include <utility>

#ifdef Q_OS_LINUX
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

using namespace std::chrono;

namespace
{

nanoseconds monotonicNow()
{
#ifdef Q_OS_LINUX
    // The clock the timerfd measures its deadline on.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return seconds(now.tv_sec) + nanoseconds(now.tv_nsec);
#else
    return steady_clock::now().time_since_epoch();
#endif
}

// The due time of the tick whose handler is running, if any.
std::optional<nanoseconds> tickDue;

} // namespace

IntervalTimer::IntervalTimer(int intervalMs, QObject* parent)
    : QObject(parent), nominal(intervalMs), running(intervalMs)
{
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &IntervalTimer::expired);
    openKernelTimer();
}

IntervalTimer::~IntervalTimer()
{
    closeKernelTimer();
}

void IntervalTimer::openKernelTimer()
{
#ifdef Q_OS_LINUX
    fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0)
        return;
    notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        // A tick that was due when the timer was stopped or restarted in the same pass of the
        // event loop was cleared by timerfd_settime: the read finds nothing and nothing fires.
        std::uint64_t expirations = 0;
        if (read(fd, &expirations, sizeof expirations) == sizeof expirations)
            expired();
    });
#endif
}

void IntervalTimer::closeKernelTimer()
{
#ifdef Q_OS_LINUX
    if (fd < 0)
        return;
    // Possibly from within the notifier's own signal: it goes once that has returned.
    notifier->setEnabled(false);
    notifier->deleteLater();
    notifier = nullptr;
    ::close(fd);
    fd = -1;
#endif
}

void IntervalTimer::setBackend(Backend wanted)
{
    if (active || wanted == backend())
        return;
    if (wanted == Backend::QtTimer)
        closeKernelTimer();
    else
        openKernelTimer();
}

void IntervalTimer::setInterval(int ms)
{
    nominal = ms;
    if (!active)
        running = ms;
}

int IntervalTimer::remainingTime() const
{
    if (!active)
        return -1;
    // Rounded up: a precise QTimer counts whole milliseconds and must not fire before the deadline.
    const nanoseconds left = deadline - monotonicNow();
    return left.count() <= 0 ? 0 : int(ceil<milliseconds>(left).count());
}

void IntervalTimer::start()
{
    running = nominal;
    const nanoseconds now = monotonicNow();
    deadline = now + milliseconds(running);
    // From a tick's handler, the interval counts from that tick's due time; a tick handled so late
    // that less than half the interval would be left (a stalled machine) starts afresh.
    if (tickDue && countFromTickDue && now - *tickDue <= milliseconds(running) / 2)
        deadline = *tickDue + milliseconds(running);
    active = true;
    arm();
}

void IntervalTimer::stop()
{
    active = false;
    timer.stop();
#ifdef Q_OS_LINUX
    if (fd >= 0) {
        const itimerspec off{};
        timerfd_settime(fd, 0, &off, nullptr);
    }
#endif
}

void IntervalTimer::arm()
{
#ifdef Q_OS_LINUX
    if (fd >= 0) {
        const auto secs = duration_cast<seconds>(deadline);
        itimerspec at{};
        at.it_value.tv_sec = time_t(secs.count());
        at.it_value.tv_nsec = long((deadline - secs).count());
        if (timerfd_settime(fd, TFD_TIMER_ABSTIME, &at, nullptr) == 0)
            return;
        // Should the kernel refuse, the event loop's timer keeps the game going.
        closeKernelTimer();
    }
#endif
    timer.start(remainingTime());
}

void IntervalTimer::expired()
{
    // A timer left running goes on at the interval chosen meanwhile, counted from this deadline.
    const nanoseconds due = deadline;
    running = nominal;
    deadline += milliseconds(running);
    arm();
    const std::optional<nanoseconds> outer = std::exchange(tickDue, due);
    emit timeout();
    tickDue = outer;
}
