#include "app/form1.h"

void Form1::hilf_Click()
{
    Frame4->show();
}

void Form1::Command11_Click()
{
    Frame4->hide();
}

void Form1::kl_Click()
{
    // A running presentation goes on flashing while the question is open: nothing stops it.
    if (platform.messageBox(this, QStringLiteral("Wirklich beenden?"),
                            QStringLiteral("Ich frage lieber mal nach?"), Platform::Buttons::YesNo,
                            Platform::Icon::None) == Platform::Answer::Yes)
        platform.endProgram();
}
