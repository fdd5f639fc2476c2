// The list of best results at its worst: giant files under the size cap and a list at the
// viewer's limit. For each, the time and the peak memory above idle of opening the viewer, of a
// round's OK (the qualification test) and of a save, beside the old way of reading the whole file
// into a list of lines where that way fits into this machine.
#include "app/appsetup.h"
#include "app/form1.h"
#include "benchstats.h"
#include "scores/scorefile.h"
#include "scores/scorelist.h"
#include "support/fakeplatform.h"
#include "support/lines.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <string>

namespace
{

constexpr qint64 MiB = 1024 * 1024;

void writeFile(const QString& path, const QByteArray& line, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(EXIT_FAILURE);
    }
    const QByteArray block = line.repeated(int(MiB / line.size()) + 1);
    for (qint64 left = bytes; left > 0; left -= block.size())
        file.write(block.constData(), std::min<qint64>(left, block.size()));
}

// The old way of reading a list: the whole file at once.
QByteArray wholeFile(const QString& path)
{
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

void print(const char* what, const Figure& now, const Figure* old, double goalMs)
{
    std::printf("  %-16s %8.1f ms %7.1f MB   (goal %4.0f ms, 64 MB)%s", what, now.ms, now.peakMB,
                goalMs, now.ms <= goalMs && now.peakMB <= 64 ? "  met" : "  NOT MET");
    if (old)
        std::printf("   old way %8.1f ms %8.1f MB", old->ms, old->peakMB);
    std::printf("\n");
}

} // namespace

int main(int argc, char* argv[])
{
    defaultToOffscreen();
    QApplication application(argc, argv);
    app::setupApplication(application);
    QTemporaryDir dir;
    FakePlatform platform;
    platform.directory = dir.path();
    Form1 form(platform);
    form.show();
    QApplication::processEvents();
    const QString path = scores::scorePath(dir.path());

    const struct {
        const char* name;
        QByteArray line;
        qint64 bytes;
        bool oldViewer; // the old viewer needs about 600 bytes a line
    } files[] = {
        {"60 MiB of CR (62,914,560 empty lines)", "\r", 60 * MiB, false},
        {"60 MiB of \" 0\" CR (20,971,520 lines)", " 0\r", 60 * MiB, false},
        {"64 MiB of 80-character lines", QByteArray(80, 'x') + "\r\n", 64 * MiB, true},
        {"a list at the viewer's limit", " 7  Punkte f\xfcr  Gast\r\n",
         qint64(scores::ScoreList::limit) * 22, true},
    };
    for (const auto& file : files) {
        writeFile(path, file.line, file.bytes);
        std::printf("%s, %.1f MiB\n", file.name, double(file.bytes) / double(MiB));

        // The old way: the whole file read into a list of lines, by the viewer into its items.
        const Figure oldViewer = measure([&] {
            if (!file.oldViewer)
                return;
            QListWidget list;
            list.setUniformItemSizes(true);
            list.addItems(reference::splitLines(wholeFile(path)));
            list.show();
            QApplication::processEvents();
        });
        const Figure viewer = measure([&] {
            form.best_Click();
            QApplication::processEvents();
        });
        const bool shown = !form.Frame2->isHidden();
        form.Command8_Click();
        print(shown ? "viewer shown" : "viewer refused", viewer,
              file.oldViewer ? &oldViewer : nullptr, 1000);

        const Figure oldCount =
            measure([&] { (void)reference::qualifies(reference::splitLines(wholeFile(path)), 1); });
        bool offered[2] = {};
        Figure count{};
        for (const int score : {0, 1}) {
            form.clickcount = qint16(score + 1);
            count = measure([&] { form.qualificationtest(); });
            offered[score] = !form.Frame3->isHidden();
            form.Command10_Click();
        }
        print("OK (qualifying)", count, &oldCount, 500);

        form.Text1->setText(QStringLiteral("Bench"));
        const Figure save = measure([&] { form.Command9_Click(); });
        print("save", save, nullptr, 500);
        std::printf("  entry offered for score 0: %s, for score 1: %s; %d lines counted; %lld "
                    "lines after the save\n",
                    offered[0] ? "yes" : "no", offered[1] ? "yes" : "no", form.linecount,
                    static_cast<long long>(reference::splitLines(wholeFile(path)).size()));
        QFile::remove(path);
    }
    return 0;
}
