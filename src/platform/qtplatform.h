#pragma once

#include "platform/platform.h"

#include <memory>
#include <random>

namespace sound
{
class PulseOutput;
}

class QtPlatform final : public Platform
{
public:
    QtPlatform();
    ~QtPlatform() override;

    Answer messageBox(QWidget* parent, const QString& text, const QString& title, Buttons buttons,
                      Icon icon) override;
    QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                     const QString& preset) override;
    void seedRandom() override;
    float nextRandom() override;
    QString programDirectory() override;
    QString dataDirectory() override;
    QDateTime now() override;
    [[noreturn]] void endProgram() override;
    void openSound(std::function<void(SoundTrouble)> trouble) override;
    void playSound(Sound sound, int colour) override;
    void closeSound() override;

private:
    std::mt19937 generator;
    // Made when sound is first opened.
    std::unique_ptr<sound::PulseOutput> output;
};
