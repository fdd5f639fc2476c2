#include "app/form1.h"

#include "round/colourdraw.h"

void Form1::Timer1_Timer()
{
    hideshapes();
    showncount = showncount + 1;
    // At or past the length (it may have been lowered during the presentation), and never
    // beyond the last position: the presentation ends here.
    if (showncount - 1 >= targetcount || showncount > maxPositions) {
        Timer1->stop();
        yourturn();
        return;
    }
    const int colour = sequence::colourFor(platform.nextRandom());
    Square* const squares[] = {Shape1, Shape2, Shape3, Shape4};
    QPushButton* const buttons[] = {Command3, Command4, Command5, Command6};
    // The setting as it is now, for this colour: a change comes with the next one.
    squares[colour - 1]->setName(farbnamen->isChecked() ? buttons[colour - 1]->text() : QString());
    squares[colour - 1]->show();
    // On screen now, not after the handler: the tone and the picture start together.
    squares[colour - 1]->repaint();
    sound(Platform::Sound::Tone, colour);
    announce(squares[colour - 1], squares[colour - 1]->accessibleName(), true);
    shownseq[showncount] = qint16(colour);
    Timer1->stop();
    Timer2->start();
}

void Form1::Timer2_Timer()
{
    Shape9->show();
    Shape9->repaint();
    silence();
    Timer1->start();
    Timer2->stop();
}

void Form1::yourturn()
{
    Label4->show();
    Timer1->stop();
    Timer2->stop();
    for (QPushButton* button : colourbuttons())
        button->show();
    announce(Label4, Label4->text());
}
