#pragma once

#include "span/history.h"

#include <QWidget>

#include <vector>

// The course of a player's span tests: each test a mark over its date, its span upwards, the
// speeds told apart by the marks' shapes (schnell a triangle, mittel a square, langsam a circle,
// named in a legend) as well as by their colours. Axes and grid fall on whole device pixels,
// so that they stay sharp at a scale of 1.5 and 2 too.
class SpanChart : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Oldest first.
    void setTests(std::vector<span::Test> tests);
    const std::vector<span::Test>& tests() const { return shown; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<span::Test> shown;
};
