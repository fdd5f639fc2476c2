// Plays real presentations with the real timers and measures how exactly the colours and the
// gaps between them keep their nominal lengths.
#include "app/appsetup.h"
#include "app/form1.h"
#include "benchstats.h"
#include "platform/qtplatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <cstdio>

namespace
{

struct Deviations {
    std::vector<double> display; // ms beyond the display time
    std::vector<double> gap;     // ms beyond 750 ms
    double drift = 0;            // ms beyond the nominal length of the whole presentation
};

void report(const char* name, const std::vector<double>& values)
{
    std::printf("  %-14s n=%3zu  min %+7.2f  median %+7.2f  p99 %+7.2f  max %+7.2f ms\n", name,
                values.size(), quantile(values, 0.0), median(values), quantile(values, 0.99),
                quantile(values, 1.0));
}

Deviations present(Form1& form, int length, QAction* speed)
{
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
    } runs[] = {{20, form.schnell, "length 20, schnell"}, {5, form.mittel, "length 5, mittel"}};

    Deviations all;
    for (const auto& run : runs) {
        const Deviations d = present(form, run.length, run.speed);
        std::printf("%s: drift of the whole presentation %+.2f ms\n", run.name, d.drift);
        report("display times", d.display);
        report("gaps", d.gap);
        all.display.insert(all.display.end(), d.display.begin(), d.display.end());
        all.gap.insert(all.gap.end(), d.gap.begin(), d.gap.end());
    }
    std::printf("all runs:\n");
    report("display times", all.display);
    report("gaps", all.gap);
    return 0;
}
