#pragma once

#include "platform/platform.h"

#include <QList>
#include <QString>
#include <QTimeZone>

#include <deque>
#include <functional>
#include <optional>

// A scripted platform: answers and random values are queued by the test, and every box shown and
// every sound asked for is recorded. An input box with nothing queued is cancelled, a Yes/No box
// answered No; sound opens unless soundRefused names a trouble, which is then reported at once,
// and breakSound() reports a trouble later, as a sound server does.
class FakePlatform final : public Platform
{
public:
    struct Box {
        QString text;
        QString title;
        Buttons buttons;
        Icon icon;
    };
    struct Prompt {
        QString prompt;
        QString title;
        QString preset;
    };

    std::deque<Answer> answers;
    std::deque<QString> inputs;
    std::deque<float> randoms;
    QString directory;
    QString dataFolder;
    // The clock stands still unless a test moves it.
    QDateTime clock = QDateTime(QDate(2026, 12, 9), QTime(15, 44), QTimeZone(3600));

    std::optional<SoundTrouble> soundRefused;
    // Where set, sound is asked of it as well, and its answers count.
    Platform* soundThrough = nullptr;

    QList<Box> boxes;
    QList<Prompt> prompts;
    // In order: "open", "tone C", "press C", "wrong C", "silence", "close" (C the colour).
    QStringList sounds;
    int seeds = 0;
    bool ended = false;

    Answer messageBox(QWidget*, const QString& text, const QString& title, Buttons buttons,
                      Icon icon) override;
    QString inputBox(QWidget*, const QString& prompt, const QString& title,
                     const QString& preset) override;
    void seedRandom() override { ++seeds; }
    float nextRandom() override;
    QString programDirectory() override { return directory; }
    QString dataDirectory() override { return dataFolder; }
    QDateTime now() override { return clock; }
    void endProgram() override { ended = true; }
    void openSound(std::function<void(SoundTrouble)> trouble) override;
    void playSound(Sound sound, int colour) override;
    void closeSound() override;
    // Reports trouble to the game, as a sound server that breaks down does.
    void breakSound(SoundTrouble trouble = SoundTrouble::Lost);

private:
    std::function<void(SoundTrouble)> soundTrouble;
};

// Random values that draw the given colour codes (1 green, 2 red, 3 blue, 4 yellow).
std::deque<float> randomsFor(const QList<int>& colours);
