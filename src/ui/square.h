#pragma once

#include <QFrame>
#include <QString>

// A coloured square of the presentation, filled with its palette's window colour. It may carry a
// colour's name in its middle, for players who cannot tell the colours apart, in black or white,
// whichever reads better on its fill; without a name it is the plain square.
class Square : public QFrame
{
    Q_OBJECT
public:
    using QFrame::QFrame;

    // The name shown from now on; an empty one shows the plain colour.
    void setName(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Black or white: the one of the higher contrast against the fill.
    QColor textColour() const;

    QString shown;
};
