#include "app/form1.h"

#include <QLocale>

void Form1::best_Click()
{
    const QString path = scorepath();
    if (!fileexists(path)) {
        platform.messageBox(this, QStringLiteral("Es ist leider noch kein Eintrag vorhanden"),
                            QStringLiteral("Na sowas"), Platform::Buttons::Ok,
                            Platform::Icon::Exclamation);
        return;
    }
    // Read before the panel opens: a list that cannot be shown leaves everything as it was.
    switch (listlines->load(path)) {
    case scores::ScoreList::Load::Unreadable:
        reportunreadable(path);
        return;
    case scores::ScoreList::Load::TooLong:
        reportscorefile(QStringLiteral("Die Bestenliste ist zu lang, um angezeigt zu werden:\n") +
                        path + QStringLiteral("\n\nAngezeigt werden höchstens ") +
                        QLocale(QLocale::German).toString(scores::ScoreList::limit) +
                        QStringLiteral(" Zeilen."));
        return;
    case scores::ScoreList::Load::Loaded:
        break;
    }
    Frame2->show();
    linecount = listlines->rowCount();
}

void Form1::Command8_Click()
{
    Frame2->hide();
}
