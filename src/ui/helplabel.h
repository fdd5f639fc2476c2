#pragma once

#include <QLabel>

// The help text uses a long run of blanks to push its second paragraph onto a line of its own.
// Blanks are narrower here than in the face the text was laid out for, so such a run is drawn as
// a line break; text() keeps every blank, and that is what assistive technology reads.
class HelpLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Runs of at least this many blanks end the line.
    static constexpr int breakingRun = 10;
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
