#include "app/form1.h"

#include "settings/settingstext.h"

void Form1::applysettings()
{
    const std::pair<QAction*, settings::Speed> speeds[] = {{langsam, settings::Speed::Slow},
                                                           {schnell, settings::Speed::Fast},
                                                           {mittel, settings::Speed::Medium}};
    for (const auto& [item, speed] : speeds) {
        if (item->isChecked()) {
            const settings::SpeedInfo info = settings::speedInfo(speed);
            speedword = info.word;
            Timer2->setInterval(info.displayMs);
        }
    }
    statusline = spanne->isChecked() ? settings::spanStatusText(speedword)
                                     : settings::statusText(targetcount, speedword);
    Label1->setText(statusline);
}

void Form1::readoptions(const QStringList& arguments)
{
    const QStringList options = arguments.mid(1);
    if (options.contains(QStringLiteral("--farbnamen")))
        farbnamen->setChecked(true);
    // Sound is opened with the first round, which tells the player if there is none.
    if (options.contains(QStringLiteral("--toene")))
        toene->setChecked(true);
}

void Form1::toene_Click()
{
    // A tone from the next colour or press on; unticked, the one that sounds ends at its black
    // square.
    if (!toene->isChecked())
        return;
    // Ticked between rounds: the player learns soon whether there is sound, told anew, and
    // nothing stays open once the sound server has answered.
    const bool between = !roundrunning();
    if (between)
        soundtold = false;
    soundready();
    if (between)
        endsound();
}

void Form1::uncheckcounts()
{
    for (QAction* item : {es5, es10, es20, es30, es40, es50, selbst, spanne})
        item->setChecked(false);
}

// A checkable item has toggled its own mark before its handler runs, so every handler sets
// each mark it owns.
void Form1::setspeed(QAction* item)
{
    for (QAction* speed : {schnell, langsam, mittel})
        speed->setChecked(speed == item);
    applysettings();
}

void Form1::schnell_Click()
{
    setspeed(schnell);
}

void Form1::mittel_Click()
{
    setspeed(mittel);
}

void Form1::langsam_Click()
{
    setspeed(langsam);
}

void Form1::setfixedcount(QAction* item, int count)
{
    uncheckcounts();
    targetcount = count;
    item->setChecked(true);
    applysettings();
}

void Form1::es5_Click()
{
    setfixedcount(es5, 5);
}

void Form1::es10_Click()
{
    setfixedcount(es10, 10);
}

void Form1::es20_Click()
{
    setfixedcount(es20, 20);
}

void Form1::es30_Click()
{
    setfixedcount(es30, 30);
}

void Form1::es40_Click()
{
    setfixedcount(es40, 40);
}

void Form1::es50_Click()
{
    setfixedcount(es50, 50);
}

void Form1::spanne_Click()
{
    uncheckcounts();
    spanne->setChecked(true);
    applysettings();
}

void Form1::selbst_Click()
{
    uncheckcounts();
    const QString title = QStringLiteral("50 ist Ihnen also noch zu wenig");
    QString preset = QStringLiteral("60");
    for (;;) {
        const QString answer =
            platform.inputBox(this, QStringLiteral("Bitte eine Zahl eingeben"), title, preset);
        if (answer.isEmpty()) {
            targetcount = 5;
            es5->setChecked(true);
            break;
        }
        if (const auto length = settings::parseLength(answer)) {
            targetcount = *length;
            selbst->setChecked(true);
            break;
        }
        // Anything else is explained and asked again, with the answer left to be corrected.
        platform.messageBox(this,
                            QStringLiteral("Bitte geben Sie eine ganze Zahl von 1 bis 500 ein."),
                            title, Platform::Buttons::Ok, Platform::Icon::Exclamation);
        preset = answer;
    }
    applysettings();
}
