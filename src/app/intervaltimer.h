#pragma once

#include <QObject>
#include <QTimer>

// A precise interval timer whose interval can be changed while it runs without moving the tick
// that is already due: the new interval takes effect from the next start. A plain QTimer restarts
// on every setInterval, even to the same value, which would lengthen a colour on display.
class IntervalTimer : public QObject
{
    Q_OBJECT
public:
    explicit IntervalTimer(int intervalMs, QObject* parent = nullptr);

    int interval() const { return nominal; }
    void setInterval(int ms);
    bool isActive() const { return timer.isActive(); }
    // The running tick's own interval, which a change made while running does not touch.
    int runningInterval() const { return timer.interval(); }
    int remainingTime() const { return timer.remainingTime(); }
    void start();
    void stop() { timer.stop(); }

signals:
    void timeout();

private:
    QTimer timer;
    int nominal;
};
