#include "app/form1.h"

namespace
{
// Only what is shown is shortened; a line of megabytes would stall every repaint of the list.
constexpr qsizetype longestShown = 1000;
} // namespace

void Form1::best_Click()
{
    const QString path = scorepath();
    if (!fileexists(path)) {
        platform.messageBox(this, QStringLiteral("Es ist leider noch kein Eintrag vorhanden"),
                            QStringLiteral("Na sowas"), Platform::Buttons::Ok,
                            Platform::Icon::Exclamation);
        return;
    }
    scores::ReadResult file = scores::readLines(path);
    if (!file.ok) {
        reportunreadable(path);
        return;
    }
    Frame2->show();
    List1->clear();
    for (QString& line : file.lines) {
        if (line.size() > longestShown) {
            line.truncate(longestShown);
            line += QChar(0x2026);
        }
    }
    List1->addItems(file.lines);
    linecount = int(file.lines.size());
}

void Form1::Command8_Click()
{
    Frame2->hide();
}
