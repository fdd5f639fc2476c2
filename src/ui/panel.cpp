#include "ui/panel.h"

#include <QPainter>

namespace
{
constexpr int captionIndent = 4;
constexpr int captionPadding = 1;
} // namespace

Panel::Panel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Panel::setFill(const QColor& colour)
{
    fillColour = colour;
    update();
}

void Panel::setEtched(bool on)
{
    hasLine = on;
    update();
}

void Panel::setCaption(const QString& text)
{
    captionText = text;
    setAccessibleName(text);
    update();
}

QRect Panel::captionRect() const
{
    if (captionText.isEmpty())
        return {};
    const QFontMetrics metrics(font());
    return {captionIndent, 0, metrics.horizontalAdvance(captionText) + 2 * captionPadding,
            metrics.height()};
}

void Panel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), fillColour);
    if (!hasLine)
        return;
    // The etched line: a grey groove with a white edge below and to the right of it.
    const int top = captionText.isEmpty() ? 0 : QFontMetrics(font()).height() / 2;
    const QRect outer = rect().adjusted(0, top, -1, -1);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(outer.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::white);
    painter.drawRect(outer.adjusted(1, 1, 0, 0));
    if (!captionText.isEmpty()) {
        const QRect box = captionRect();
        painter.fillRect(box, fillColour);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, captionText);
    }
}
