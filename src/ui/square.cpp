#include "ui/square.h"

#include <QPainter>

#include <cmath>

namespace
{

// The relative luminance of a colour, as the contrast of text against it is measured.
double luminance(const QColor& colour)
{
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

} // namespace

void Square::setName(const QString& name)
{
    if (name == shown)
        return;
    shown = name;
    update();
}

QColor Square::textColour() const
{
    const double fill = luminance(palette().color(QPalette::Window));
    return (fill + 0.05) / 0.05 >= 1.05 / (fill + 0.05) ? QColor(Qt::black) : QColor(Qt::white);
}

void Square::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (shown.isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(textColour());
    painter.drawText(rect(), Qt::AlignCenter, shown);
}
