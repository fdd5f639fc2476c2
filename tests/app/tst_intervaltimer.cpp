// The real timers, on both backends: these are the few tests that let time pass.
#include "support/testmain.h"

#include "app/intervaltimer.h"

#include <QElapsedTimer>
#include <QSignalSpy>

namespace
{

void busyWait(qint64 ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() <= ms) {
    }
}

} // namespace

class IntervalTimerTest : public QObject
{
    Q_OBJECT
private slots:
    void kernelTimerIsTheDefault()
    {
#ifdef Q_OS_LINUX
        QCOMPARE(IntervalTimer(750).backend(), IntervalTimer::Backend::KernelDeadline);
#else
        QCOMPARE(IntervalTimer(750).backend(), IntervalTimer::Backend::QtTimer);
#endif
    }

    void rules_data()
    {
        QTest::addColumn<IntervalTimer::Backend>("backend");
        QTest::newRow("timerfd") << IntervalTimer::Backend::KernelDeadline;
        QTest::newRow("QTimer") << IntervalTimer::Backend::QtTimer;
    }
    void rules()
    {
        QFETCH(IntervalTimer::Backend, backend);
        IntervalTimer timer(30);
        timer.setBackend(backend);
        QCOMPARE(timer.backend(), backend);
        QSignalSpy ticks(&timer, &IntervalTimer::timeout);
        QElapsedTimer clock;
        clock.start();
        timer.start();
        // A change while running, to the same value or another, leaves the due tick where it is.
        timer.setInterval(30);
        timer.setInterval(60);
        QCOMPARE(timer.interval(), 60);
        QCOMPARE(timer.runningInterval(), 30);
        QVERIFY(timer.remainingTime() <= 30);
        // Left running, each later tick is one new interval after the one before; none is early.
        const qint64 due[] = {30, 90, 150};
        for (const qint64 ms : due) {
            QVERIFY(ticks.wait(5000));
            QVERIFY2(clock.nsecsElapsed() >= ms * 1000000,
                     qPrintable(QStringLiteral("tick due at %1 ms came at %2 ms")
                                    .arg(ms)
                                    .arg(double(clock.nsecsElapsed()) / 1e6)));
            QCOMPARE(timer.runningInterval(), 60);
        }
        timer.stop();
        QCOMPARE(timer.remainingTime(), -1);

        // Due but not yet delivered when stopped: that tick never comes.
        ticks.clear();
        timer.setInterval(10);
        timer.start();
        busyWait(15);
        timer.stop();
        QVERIFY(!ticks.wait(50));

        // Two ticks due in the same pass of the event loop, as a gap's end and a colour's start
        // may be: whichever comes first restarts the other, whose stale tick must not follow.
        IntervalTimer other(10);
        other.setBackend(backend);
        QSignalSpy otherTicks(&other, &IntervalTimer::timeout);
        connect(&timer, &IntervalTimer::timeout, &other, [&] { other.start(); });
        connect(&other, &IntervalTimer::timeout, &timer, [&] { timer.start(); });
        timer.start();
        other.start();
        // Restarted for a minute, so that however slow the pass, only a stale tick could follow.
        timer.setInterval(60000);
        other.setInterval(60000);
        busyWait(15);
        QCoreApplication::processEvents();
        QCOMPARE(ticks.size() + otherTicks.size(), 1);
        timer.stop();
        other.stop();

        // A handler runs after its tick's due time; the interval it starts counts from that due
        // time all the same, so that lateness never adds up over a presentation.
        IntervalTimer next(1000);
        next.setBackend(backend);
        disconnect(&timer, nullptr, &other, nullptr);
        connect(&timer, &IntervalTimer::timeout, &next, [&] {
            timer.stop();
            next.start();
        });
        timer.setInterval(10);
        timer.start();
        const std::chrono::nanoseconds dueAt = timer.dueTime();
        QVERIFY(ticks.wait(5000));
        QCOMPARE(next.dueTime() - dueAt, std::chrono::nanoseconds(std::chrono::seconds(1)));
        next.stop();

        // Handled more than half an interval late, as on a stalled machine, a tick starts the
        // next interval afresh, so that no colour of a presentation is cut short.
        next.setInterval(20);
        disconnect(&timer, nullptr, &next, nullptr);
        connect(&timer, &IntervalTimer::timeout, &next, [&] {
            timer.stop();
            busyWait(15);
            next.start();
        });
        timer.start();
        const std::chrono::nanoseconds lateDue = timer.dueTime();
        QVERIFY(ticks.wait(5000));
        QVERIFY(next.dueTime() - lateDue >= std::chrono::milliseconds(35));
        next.stop();
    }
};

GZ_TEST_MAIN(IntervalTimerTest)
#include "tst_intervaltimer.moc"
