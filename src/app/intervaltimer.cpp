#include "app/intervaltimer.h"

IntervalTimer::IntervalTimer(int intervalMs, QObject* parent) : QObject(parent), nominal(intervalMs)
{
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(intervalMs);
    connect(&timer, &QTimer::timeout, this, [this] {
        // A timer left running goes on at the interval chosen meanwhile.
        if (timer.isActive() && timer.interval() != nominal)
            timer.setInterval(nominal);
        emit timeout();
    });
}

void IntervalTimer::setInterval(int ms)
{
    nominal = ms;
    if (!timer.isActive())
        timer.setInterval(ms);
}

void IntervalTimer::start()
{
    timer.start(nominal);
}
