#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

class QSocketNotifier;

// An interval timer whose interval can be changed while it runs without moving the tick that is
// due: the new interval takes effect from the next start (or the next period). A plain QTimer
// restarts on every setInterval, even to the same value, which would lengthen a colour on display.
//
// On Linux it waits for an absolute deadline on a timerfd, which the kernel keeps to within
// microseconds; an event loop's own timers wake about 0.1 % of the interval late. Elsewhere, or
// where no timerfd can be had, a precise QTimer does the work.
//
// Started from a tick's handler, as the gap's timer and the colour's timer hand over to each
// other, an interval counts from that tick's due time, not from the moment its handler runs:
// otherwise every hand-over adds its wake-up lateness to all that follow.
class IntervalTimer : public QObject
{
    Q_OBJECT
public:
    enum class Backend { KernelDeadline, QtTimer };
    Q_ENUM(Backend)

    explicit IntervalTimer(int intervalMs, QObject* parent = nullptr);
    ~IntervalTimer() override;

    Backend backend() const { return fd >= 0 ? Backend::KernelDeadline : Backend::QtTimer; }
    // Only while stopped; KernelDeadline stays QtTimer where no timerfd can be had.
    void setBackend(Backend wanted);

    int interval() const { return nominal; }
    void setInterval(int ms);
    bool isActive() const { return active; }
    // The running tick's own interval, which a change made while running does not touch.
    int runningInterval() const { return running; }
    // Milliseconds until the tick that is due, rounded up; -1 when stopped.
    int remainingTime() const;
    // When the tick that is due is due, on CLOCK_MONOTONIC.
    std::chrono::nanoseconds dueTime() const { return deadline; }
    // Off, a start from a tick's handler counts from the moment of the call (the benchmark's
    // baseline).
    void setCountFromTickDue(bool on) { countFromTickDue = on; }
    void start();
    void stop();

signals:
    void timeout();

private:
    void arm();
    void expired();
    void openKernelTimer();
    void closeKernelTimer();

    QTimer timer;
    int fd = -1;
    QSocketNotifier* notifier = nullptr;
    std::chrono::nanoseconds deadline{0}; // CLOCK_MONOTONIC
    bool active = false;
    bool countFromTickDue = true;
    int nominal;
    int running;
};
