#include "app/form1.h"

#include "scores/scoretext.h"

#include <algorithm>

void Form1::Command3_Click()
{
    judgeclick(1);
}

void Form1::Command4_Click()
{
    judgeclick(2);
}

void Form1::Command5_Click()
{
    judgeclick(3);
}

void Form1::Command6_Click()
{
    judgeclick(4);
}

int Form1::judgedlength() const
{
    // A length raised during the answering phase must not judge positions this round never
    // showed; the presentation ended after showncount - 1 colours.
    return std::min(targetcount, showncount - 1);
}

void Form1::judgeclick(qint16 colour)
{
    // Once the result is shown the round is decided: later clicks must not change the score.
    if (!Frame1->isHidden())
        return;
    clickcount = qint16(clickcount + 1);
    const int position = clickcount;
    if (position < 1 || position > maxPositions)
        return;
    clickedseq[position] = colour;
    if (clickedseq[position] != shownseq[position]) {
        sound(Platform::Sound::Wrong, colour);
        if (spantest) {
            trialended(false);
            return;
        }
        showmistake();
        endsound();
        return;
    }
    sound(Platform::Sound::Press, colour);
    showprogress();
    // At or past the length: a length lowered below the clicks made still ends the round.
    if (clickcount >= judgedlength()) {
        if (spantest) {
            trialended(true);
            return;
        }
        showsuccess();
        endsound();
    }
}

void Form1::showmistake()
{
    Frame1->show();
    Label2->setText(QStringLiteral("Das war leider ein Fehler, aber Sie haben ") +
                    scores::numberText(clickcount - 1) + QStringLiteral(" richtig"));
    Label3->hide();
    announce(Label2, Label2->text());
}

void Form1::showsuccess()
{
    Frame1->show();
    Label2->setText(QStringLiteral("Super, Sie haben alles behalten!"));
    Label3->hide();
    announce(Label2, Label2->text());
    clickcount = qint16(clickcount + 1);
}

void Form1::showprogress()
{
    Label3->show();
    Label3->setText(scores::numberText(clickcount) + QStringLiteral(" von ") +
                    QString::number(judgedlength()) + QStringLiteral(" richtig"));
}

void Form1::Command7_Click()
{
    Frame1->hide();
    for (QPushButton* button : colourbuttons())
        button->hide();
    Command1->show();
    Command2->hide();
    Label4->hide();
    qualificationtest();
}
