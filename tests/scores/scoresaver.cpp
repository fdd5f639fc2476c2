// Helper for the score-file tests: saves entries from a separate process, so that a test can
// kill it mid-save, run two at once, or limit the size of the files it may write; and enters a
// result through the game's own name entry, to show what a player is told.
#include "app/form1.h"
#include "bestlist/shared.h"
#include "scores/scorefile.h"
#include "support/fakeplatform.h"

#include <QApplication>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>

namespace
{

const char* outcomeName(scores::SaveOutcome outcome)
{
    switch (outcome) {
    case scores::SaveOutcome::Saved:
        return "saved";
    case scores::SaveOutcome::Busy:
        return "busy";
    case scores::SaveOutcome::ReadFailed:
        return "read-failed";
    case scores::SaveOutcome::TooLarge:
        return "too-large";
    case scores::SaveOutcome::WriteFailed:
        break;
    }
    return "write-failed";
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = application.arguments().mid(1);
    if (args.size() < 2) {
        std::fputs("usage: scoresaver save[-without-swap] DIR PREFIX FIRST COUNT | "
                   "hold-lock DIR-OR-FILE | save-limited DIR BYTES NAME | enter DIR NAME SCORE\n",
                   stderr);
        return 2;
    }
    const QString mode = args[0];
    const QString path = scores::scorePath(args[1]);

    // As on a file system that cannot swap two names.
    if (mode == QLatin1String("save-without-swap"))
        bestlist::forgoExchange();
    if (mode.startsWith(QLatin1String("save")) && args.size() == 5) {
        // Entry i: score i % 97 under the name PREFIX<i>; a line of output as each save begins
        // and one as it ends.
        const int first = args[3].toInt();
        const int count = args[4].toInt();
        for (int i = first; i < first + count; ++i) {
            std::printf("saving %d\n", i);
            std::fflush(stdout);
            const auto outcome = scores::saveEntry(path, i % 97, args[2] + QString::number(i));
            std::printf("%s %d\n", outcomeName(outcome), i);
            std::fflush(stdout);
            if (outcome != scores::SaveOutcome::Saved)
                return 1;
        }
        return 0;
    }
    if (mode == QLatin1String("hold-lock")) {
        // The lock that a copy of the game takes while it saves: on the list's folder, or on a
        // shared list's lock file. Held until the input closes or the holder is killed.
        const int held = open(QFile::encodeName(args[1]).constData(), O_RDONLY);
        if (held < 0 || flock(held, LOCK_EX) != 0)
            return 1;
        std::puts("locked");
        std::fflush(stdout);
        while (std::fgetc(stdin) != EOF) {
        }
        return 0;
    }
    if (mode == QLatin1String("enter") && args.size() == 4) {
        // "schon erledigt" in the name entry of a game in DIR: what the player is told, if
        // anything, or "saved".
        FakePlatform platform;
        platform.directory = args[1];
        Form1 form(platform);
        form.clickcount = qint16(args[3].toInt() + 1);
        form.offerentry();
        form.Text1->setText(args[2]);
        form.Command9_Click();
        for (const FakePlatform::Box& box : platform.boxes)
            std::puts(qPrintable(box.text));
        if (form.Frame3->isHidden())
            std::puts("saved");
        return 0;
    }
    if (mode == QLatin1String("save-limited") && args.size() == 4) {
        // As on a full disk: writes beyond the limit fail instead of raising SIGXFSZ.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{args[2].toULong(), args[2].toULong()};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
        std::puts(outcomeName(scores::saveEntry(path, 50, args[3])));
        return 0;
    }
    return 2;
}
