#include "app/form1.h"

#include <QPointer>

namespace
{

// What the player is told when there are no tones, or no more.
QString troubleText(Platform::SoundTrouble trouble)
{
    using Trouble = Platform::SoundTrouble;
    const QString none = QStringLiteral("Es können keine Töne gespielt werden. ");
    switch (trouble) {
    case Trouble::NoLibrary:
        return none + QStringLiteral("Die Bibliothek des Tondienstes fehlt.");
    case Trouble::NoServer:
        return none + QStringLiteral("Es läuft kein Tondienst.");
    case Trouble::NoAnswer:
        return none + QStringLiteral("Der Tondienst antwortet nicht.");
    case Trouble::Refused:
        return none + QStringLiteral("Der Tondienst nimmt keine Töne an.");
    case Trouble::Lost:
        break;
    }
    return QStringLiteral("Die Töne sind während der Runde verstummt. Die Verbindung zum "
                          "Tondienst ist abgebrochen.");
}

} // namespace

bool Form1::soundready()
{
    if (!toene->isChecked())
        return false;
    if (!soundopen) {
        soundopen = true;
        // The outcome comes later; the window goes on meanwhile.
        platform.openSound([form = QPointer<Form1>(this)](Platform::SoundTrouble trouble) {
            if (form)
                form->soundtrouble(trouble);
        });
    }
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
    if (soundopen) {
        soundopen = false;
        platform.closeSound();
    }
    // Told at the round's end, so that no box stops the round.
    if (untold) {
        const Platform::SoundTrouble trouble = *untold;
        untold.reset();
        tellsound(trouble);
    }
}

void Form1::soundtrouble(Platform::SoundTrouble trouble)
{
    toene->setChecked(false);
    if (soundopen) {
        soundopen = false;
        platform.closeSound();
    }
    // Once a round: a player who ticks the setting again during it already knows why.
    if (soundtold)
        return;
    soundtold = true;
    if (roundrunning())
        untold = trouble;
    else
        tellsound(trouble);
}

void Form1::tellsound(Platform::SoundTrouble trouble)
{
    platform.messageBox(this, troubleText(trouble), QStringLiteral("Töne spielen"),
                        Platform::Buttons::Ok, Platform::Icon::Exclamation);
}

bool Form1::roundrunning() const
{
    return spantest || Timer1->isActive() || Timer2->isActive() ||
           (!Command3->isHidden() && Frame1->isHidden());
}
