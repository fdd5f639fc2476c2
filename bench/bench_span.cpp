// The span test's panel on the largest histories a player can have: 100,000 tests (centuries of
// daily play) and a file of damaged lines at the size the game still reads. For each, the time
// and the peak memory above the memory in use before of opening the panel (the course read from
// the file's end and drawn), and of the whole end of a test (its line saved first, atomically),
// beside the same on an empty history.
#include "app/appsetup.h"
#include "app/form1.h"
#include "benchstats.h"
#include "bestlist/io.h"
#include "span/history.h"
#include "support/fakeplatform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace
{

constexpr double goalMs = 100;
constexpr double goalMB = 16;

struct History {
    const char* name;
    // Fills the file; none where it writes nothing.
    void (*write)(QFile& file);
};

void tests(QFile& file)
{
    for (int day = 0; day < 100000; ++day) {
        span::Test test;
        test.when = {std::int64_t(20000 + day) * 1440 + 15 * 60, 60};
        test.speed = span::Speed(day % 3);
        test.span = 4 + day % 5;
        for (int length = 3; length <= test.span; ++length)
            test.trials.push_back({length, true});
        test.trials.push_back({test.span + 1, false});
        test.trials.push_back({test.span + 1, false});
        file.write(QByteArray::fromStdString(span::lineOf(test)) + '\n');
    }
}

// Lines that look like tests to the last field but cannot be read, up to the size the game still
// reads, less room for the line a test adds.
void damaged(QFile& file)
{
    const QByteArray line("2026-13-45T99:99+01:00 schnell 7 3+,4+,5-,5+,6+,7+,8-,8-,kaputt\n");
    const QByteArray block = line.repeated(16384);
    for (qint64 left = bestlist::maxFileSize - 4096; left > 0; left -= block.size())
        file.write(block.constData(), std::min<qint64>(left, block.size()));
}

void report(const char* what, const Figure& figure, const Figure& empty, bool goal)
{
    std::printf("  %-34s %7.1f ms %6.1f MB   (empty history: %5.1f ms %5.1f MB", what, figure.ms,
                figure.peakMB, empty.ms, empty.peakMB);
    if (goal)
        std::printf("; goal %3.0f ms, %2.0f MB)%s\n", goalMs, goalMB,
                    figure.ms <= goalMs && figure.peakMB <= goalMB ? "  met" : "  NOT MET");
    else
        std::printf(")\n");
}

} // namespace

int main(int argc, char* argv[])
{
    defaultToOffscreen();
    QApplication application(argc, argv);
    app::setupApplication(application);
    const History histories[] = {{"an empty history", nullptr},
                                 {"100,000 tests", tests},
                                 {"64 MiB of damaged lines", damaged}};
    Figure emptyOpen{}, emptyEnd{};
    for (const History& history : histories) {
        QTemporaryDir dir;
        FakePlatform platform;
        platform.directory = dir.path();
        platform.dataFolder = dir.filePath(QStringLiteral("graue-zellen"));
        Form1 w(platform);
        w.show();
        const QString path = platform.dataFolder + QStringLiteral("/spanne.txt");
        if (history.write) {
            QDir().mkpath(platform.dataFolder);
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                return EXIT_FAILURE;
            history.write(file);
        }
        const qint64 size = QFileInfo(path).size();
        // The course read and drawn, as the panel opens.
        const Figure open = measure([&] {
            const span::Course course = span::readCourse(QFile::encodeName(path).toStdString());
            w.Chart1->setTests(course.tests);
            w.Frame5->show();
            w.Frame5->repaint();
        });
        w.Frame5->hide();
        // A whole test's end: its line saved, then the course read and drawn.
        for (const bool right : {true, true, false, false})
            w.spanprocedure.record(right);
        w.spantest = true;
        const Figure end = measure([&] {
            w.spanfinished();
            w.Frame5->repaint();
        });
        if (!history.write) {
            emptyOpen = open;
            emptyEnd = end;
        }
        std::printf("%s (%lld bytes; %zu tests shown, %lld boxes):\n", history.name,
                    static_cast<long long>(size), w.Chart1->tests().size(),
                    static_cast<long long>(platform.boxes.size()));
        report("the panel opened", open, emptyOpen, true);
        // The save copies the whole file beside it and syncs it to the disk before it takes the
        // old one's place.
        report("a test ended (saved, then shown)", end, emptyEnd, false);
    }
    return EXIT_SUCCESS;
}
