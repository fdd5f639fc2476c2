#pragma once

#include "app/form1.h"
#include "support/fakeplatform.h"

#include <QTemporaryDir>

#include <memory>

// A Form1 on a fake platform whose program directory is a fresh temporary folder.
struct FormFixture {
    QTemporaryDir dir;
    FakePlatform platform;
    std::unique_ptr<Form1> form;

    FormFixture()
    {
        platform.directory = dir.path();
        platform.dataFolder = dir.filePath(QStringLiteral("data/graue-zellen"));
        form = std::make_unique<Form1>(platform);
    }
    QString scorePath() const { return dir.filePath(QStringLiteral("best.lst")); }
    QString historyPath() const { return platform.dataFolder + QStringLiteral("/spanne.txt"); }

    // Presents the colours through the tick handlers until the colour buttons appear.
    void present(const QList<int>& colours)
    {
        platform.randoms = randomsFor(colours);
        form->Command1_Click();
        flash();
    }
    // Ticks a presentation under way to its end.
    void flash()
    {
        while (form->Timer1->isActive() || form->Timer2->isActive()) {
            if (form->Timer1->isActive())
                form->Timer1_Timer();
            else
                form->Timer2_Timer();
        }
    }
    // Clicks the colour buttons for the given colour codes.
    void answer(const QList<int>& colours)
    {
        QPushButton* const buttons[] = {form->Command3, form->Command4, form->Command5,
                                        form->Command6};
        for (const int colour : colours)
            buttons[colour - 1]->click();
    }
    // Plays a round that ends with the given score (a mistake after score right colours), then
    // presses OK, which runs the qualification test.
    void finishRound(int score)
    {
        form->targetcount = score + 1;
        present(QList<int>(score + 1, 1));
        answer(QList<int>(score, 1) << 2);
        form->Command7_Click();
    }
};
