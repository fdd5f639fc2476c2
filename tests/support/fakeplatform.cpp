#include "support/fakeplatform.h"

Platform::Answer FakePlatform::messageBox(QWidget*, const QString& text, const QString& title,
                                          Buttons buttons, Icon icon)
{
    boxes.append({text, title, buttons, icon});
    if (answers.empty())
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

QString FakePlatform::inputBox(QWidget*, const QString& prompt, const QString& title,
                               const QString& preset)
{
    prompts.append({prompt, title, preset});
    if (inputs.empty())
        return {};
    QString answer = inputs.front();
    inputs.pop_front();
    return answer;
}

float FakePlatform::nextRandom()
{
    if (randoms.empty())
        return 0.0f;
    const float r = randoms.front();
    randoms.pop_front();
    return r;
}

void FakePlatform::openSound(std::function<void(SoundTrouble)> trouble)
{
    sounds << QStringLiteral("open");
    soundTrouble = std::move(trouble);
    if (soundThrough)
        soundThrough->openSound(soundTrouble);
    else if (soundRefused)
        breakSound(*soundRefused);
}

void FakePlatform::breakSound(SoundTrouble trouble)
{
    if (soundTrouble)
        soundTrouble(trouble);
}

void FakePlatform::playSound(Sound sound, int colour)
{
    static const char* const names[] = {"silence", "tone", "press", "wrong"};
    if (soundThrough)
        soundThrough->playSound(sound, colour);
    sounds << (sound == Sound::Silence
                   ? QStringLiteral("silence")
                   : QStringLiteral("%1 %2").arg(QLatin1String(names[int(sound)])).arg(colour));
}

void FakePlatform::closeSound()
{
    sounds << QStringLiteral("close");
    if (soundThrough)
        soundThrough->closeSound();
}

std::deque<float> randomsFor(const QList<int>& colours)
{
    std::deque<float> values;
    for (const int colour : colours)
        values.push_back((float(colour) - 1.0f) * 0.25f + 0.1f);
    return values;
}
