#pragma once

#include "platform/platform.h"

#include <random>

class QtPlatform final : public Platform
{
public:
    Answer messageBox(QWidget* parent, const QString& text, const QString& title, Buttons buttons,
                      Icon icon) override;
    QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                     const QString& preset) override;
    void seedRandom() override;
    float nextRandom() override;
    QString programDirectory() override;
    [[noreturn]] void endProgram() override;

private:
    std::mt19937 generator;
};
