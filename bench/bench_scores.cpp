// Reading and line-scoring score files of 10 and 200,000 lines, and filling the viewer with the
// larger one.
#include "app/appsetup.h"
#include "app/form1.h"
#include "benchstats.h"
#include "scores/scorefile.h"
#include "scores/scoretext.h"
#include "support/fakeplatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace
{

constexpr int runs = 9;

double medianMs(const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

void writeList(const QString& dir, int lines)
{
    QStringList content;
    for (int i = 0; i < lines; ++i)
        content << scores::scoreLine(i % 100, QStringLiteral("Spieler %1").arg(i));
    scores::writeLines(scores::scorePath(dir), content);
}

} // namespace

int main(int argc, char* argv[])
{
    defaultToOffscreen();
    QApplication application(argc, argv);
    app::setupApplication(application);

    long long checksum = 0;
    for (const int lines : {10, 200000}) {
        QTemporaryDir dir;
        writeList(dir.path(), lines);
        const QString path = scores::scorePath(dir.path());
        const double ms = medianMs([&] {
            for (const QString& line : scores::readLines(path).lines)
                checksum += scores::lineScore(line);
        });
        std::printf("read and line-score %6d lines: median %8.3f ms over %d runs\n", lines, ms,
                    runs);
    }

    QTemporaryDir dir;
    writeList(dir.path(), 200000);
    FakePlatform platform;
    platform.directory = dir.path();
    Form1 form(platform);
    form.show();
    const double ms = medianMs([&] {
        form.best_Click();
        form.List1->scrollToBottom();
        QApplication::processEvents();
    });
    std::printf("viewer with 200000 lines (read, fill, show): median %8.3f ms over %d runs\n", ms,
                runs);
    std::printf("(checksum %lld, %d items)\n", checksum, form.List1->count());
    return 0;
}
