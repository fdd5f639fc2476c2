#include "app/form1.h"

#include "scores/scoretext.h"

#include <QFileInfo>
#include <QLocale>

bool Form1::fileexists(const QString& datei) const
{
    return scores::fileExists(datei);
}

QString Form1::scorepath() const
{
    // Asked anew at every access: the file lives beside the program, not in the working directory.
    return scores::scorePath(platform.programDirectory());
}

void Form1::reportscorefile(const QString& problem)
{
    platform.messageBox(this, problem, QStringLiteral("Bestenliste"), Platform::Buttons::Ok,
                        Platform::Icon::Exclamation);
}

void Form1::reportunreadable(const QString& path, const QString& more)
{
    // A list too large to be read is not damaged: the player should not look for a fault.
    if (QFileInfo(path).size() > scores::maxFileSize) {
        reportscorefile(QStringLiteral("Die Bestenliste ist zu groß, um gelesen zu werden:\n") +
                        path + QStringLiteral("\n\nGelesen werden Listen bis ") +
                        QLocale(QLocale::German).toString(scores::maxFileSize) +
                        QStringLiteral(" Bytes.") + more);
        return;
    }
    reportscorefile(QStringLiteral("Die Bestenliste konnte nicht gelesen werden:\n") + path + more);
}

void Form1::qualificationtest()
{
    linecount = 0;
    const QString path = scorepath();
    scores::Count count{true, 0, false};
    if (fileexists(path)) {
        count = scores::countLines(path, clickcount - 1);
        if (!count.ok) {
            reportunreadable(path);
            return;
        }
    }
    linecount = count.lines;
    if (count.qualifies())
        offerentry();
}

void Form1::offerentry()
{
    // The panel's opening settles the focus: the name box takes it unless the help lies over it.
    Frame3->show();
    announce(Frame3, Frame3->caption());
}

void Form1::Command9_Click()
{
    if (Text1->text().isEmpty())
        Text1->setText(QStringLiteral("Anonymer"));
    const scores::SaveOutcome outcome = mergescore();
    if (outcome == scores::SaveOutcome::Saved) {
        Frame3->hide();
        return;
    }
    // The panel stays open with the name, so the player can try again or cancel.
    const QString kept = QStringLiteral("\n\nIhr Eintrag wurde nicht gespeichert; die Liste "
                                        "bleibt, wie sie war.");
    switch (outcome) {
    case scores::SaveOutcome::Busy:
        reportscorefile(QStringLiteral("Die Bestenliste wird gerade von einem anderen Spiel "
                                       "benutzt. Bitte versuchen Sie es gleich noch einmal.") +
                        kept);
        break;
    case scores::SaveOutcome::ReadFailed:
    case scores::SaveOutcome::TooLarge:
        reportunreadable(scorepath(), kept);
        break;
    default:
        reportscorefile(QStringLiteral("Die Bestenliste konnte nicht geschrieben werden:\n") +
                        scorepath() + kept);
        break;
    }
}

scores::SaveOutcome Form1::mergescore()
{
    // A missing file is an empty list: the first entry is the merge into it, decided under the
    // lock together with the rewrite.
    const scores::SaveOutcome outcome =
        scores::saveEntry(scorepath(), clickcount - 1, Text1->text(), &scorelines);
    scorelinecount = int(scorelines.size());
    return outcome;
}

void Form1::Command10_Click()
{
    Frame3->hide();
}
