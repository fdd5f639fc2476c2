#pragma once

#include "sound/tones.h"
#include "sound/trouble.h"

#include <QDateTime>
#include <QString>

#include <functional>

class QWidget;

// What the game needs of the toolkit and the runtime that a test must be able to control:
// modal boxes, randomness, where the program lives, ending the process, and sound.
class Platform
{
public:
    enum class Buttons { Ok, YesNo };
    enum class Icon { None, Exclamation };
    enum class Answer { Ok, Yes, No };
    using Sound = sound::Kind;
    using SoundTrouble = sound::Trouble;

    virtual ~Platform() = default;

    // Modal; Yes is the default button of a Yes/No box.
    virtual Answer messageBox(QWidget* parent, const QString& text, const QString& title,
                              Buttons buttons, Icon icon) = 0;
    // Modal; returns the text typed, or an empty text when cancelled.
    virtual QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                             const QString& preset) = 0;

    // Seeds the generator from the clock; called once per process.
    virtual void seedRandom() = 0;
    // Uniform, 0 <= r < 1.
    virtual float nextRandom() = 0;

    // The directory of the executable, without a trailing separator.
    virtual QString programDirectory() = 0;
    // The player's own folder for the game's data, which may not exist yet:
    // $XDG_DATA_HOME/graue-zellen, or ~/.local/share/graue-zellen where that is not set or not an
    // absolute path.
    virtual QString dataDirectory() = 0;
    // The date and time on the local clock, with its offset from UTC.
    virtual QDateTime now() = 0;

    // Ends the process at once; no further handler runs.
    virtual void endProgram() = 0;

    // Readies sound for a round and returns at once, whatever the sound server does; a sound
    // asked for before it is ready is not heard. Where there is no sound, or it breaks down,
    // trouble is called once, later, on the window's thread.
    virtual void openSound(std::function<void(SoundTrouble)> trouble) = 0;
    // At once: the colour's tone, held until the next call; a brief one for a press of the
    // colour's button; a wrong press; or silence. Does nothing where sound has failed.
    virtual void playSound(Sound sound, int colour) = 0;
    // The round needs no more sound: what sounds plays out, then nothing is kept open.
    virtual void closeSound() = 0;
};
