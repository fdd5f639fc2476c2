#include "app/form1.h"

bool Form1::soundready()
{
    if (!toene->isChecked())
        return false;
    if (soundopen)
        return true;
    const QString why = platform.openSound();
    if (!why.isEmpty()) {
        nosound(QStringLiteral("Es können keine Töne gespielt werden. ") + why);
        return false;
    }
    soundopen = true;
    return true;
}

// The setting as it is now, for this colour or press: a change comes with the next one.
void Form1::sound(Platform::Sound what, int colour)
{
    if (soundready())
        platform.playSound(what, colour);
}

void Form1::silence()
{
    if (soundopen)
        platform.playSound(Platform::Sound::Silence, 0);
}

void Form1::endsound()
{
    if (!soundopen)
        return;
    soundopen = false;
    const QString why = platform.closeSound();
    if (!why.isEmpty())
        nosound(QStringLiteral("Die Töne sind während der Runde verstummt. ") + why);
}

void Form1::nosound(const QString& why)
{
    toene->setChecked(false);
    platform.messageBox(this, why, QStringLiteral("Töne spielen"), Platform::Buttons::Ok,
                        Platform::Icon::Exclamation);
}

bool Form1::roundrunning() const
{
    return Timer1->isActive() || Timer2->isActive() ||
           (!Command3->isHidden() && Frame1->isHidden());
}
