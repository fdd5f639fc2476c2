#include "ui/spanchart.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace
{

constexpr int leftRoom = 26;
constexpr int bottomRoom = 18;
constexpr int topRoom = 18;
constexpr int rightRoom = 8;
// Room inside the plot, so that no mark is cut at its edge.
constexpr double inset = 8;
constexpr double markSize = 7;

QColor speedColour(span::Speed speed)
{
    switch (speed) {
    case span::Speed::Fast:
        return {192, 0, 0};
    case span::Speed::Slow:
        return {0, 128, 0};
    case span::Speed::Medium:
        break;
    }
    return {0, 0, 192};
}

void drawMark(QPainter& painter, span::Speed speed, QPointF at)
{
    painter.setBrush(speedColour(speed));
    painter.setPen(QPen(Qt::black, 0.8));
    const double r = markSize / 2;
    switch (speed) {
    case span::Speed::Fast: {
        const QPointF corners[] = {at + QPointF(0, -r - 0.8), at + QPointF(r + 0.6, r),
                                   at + QPointF(-r - 0.6, r)};
        painter.drawPolygon(corners, 3);
        break;
    }
    case span::Speed::Medium:
        painter.drawRect(QRectF(at.x() - r + 0.4, at.y() - r + 0.4, 2 * r - 0.8, 2 * r - 0.8));
        break;
    case span::Speed::Slow:
        painter.drawEllipse(at, r, r);
        break;
    }
}

QString dateText(const span::When& when)
{
    return QDateTime::fromSecsSinceEpoch(when.utcMinutes * 60, QTimeZone(when.offsetMinutes * 60))
        .toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace

void SpanChart::setTests(std::vector<span::Test> tests)
{
    shown = std::move(tests);
    update();
}

void SpanChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const double dpr = devicePixelRatioF();
    // A logical coordinate moved onto the middle of a device pixel, and a line one device pixel
    // per whole step of the scale wide: sharp at any scale.
    const double line = std::max(1.0, std::round(dpr)) / dpr;
    const auto snap = [&](double v) { return (std::floor(v * dpr) + 0.5) / dpr; };
    const QRectF plot(leftRoom, topRoom, width() - leftRoom - rightRoom,
                      height() - topRoom - bottomRoom);

    int highest = 8;
    for (const span::Test& test : shown)
        highest = std::max(highest, test.span + 1);
    const int every = highest <= 12 ? 1 : highest <= 30 ? 5 : highest <= 100 ? 10 : 50;
    highest = (highest + every - 1) / every * every;
    const auto yOf = [&](double value) {
        return plot.bottom() - inset - (plot.height() - 2 * inset) * value / highest;
    };

    painter.fillRect(plot, Qt::white);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    for (int value = 0; value <= highest; value += every) {
        const double y = snap(yOf(value));
        painter.setPen(QPen(QColor(216, 216, 216), line));
        painter.drawLine(QPointF(snap(plot.left()), y), QPointF(snap(plot.right()), y));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, y - metrics.height() / 2.0, leftRoom - 4, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(value));
    }
    // The axes along the plot's left and bottom edges.
    painter.setPen(QPen(Qt::black, line));
    const QPointF corner(snap(plot.left()), snap(plot.bottom() - line));
    painter.drawLine(QPointF(corner.x(), snap(plot.top())), corner);
    painter.drawLine(corner, QPointF(snap(plot.right()), corner.y()));

    // The unit over the axis, and the legend, above the plot.
    painter.setPen(Qt::black);
    painter.drawText(QPointF(2, topRoom - 5), QStringLiteral("Farben"));
    double x = plot.right();
    for (const span::Speed speed : {span::Speed::Slow, span::Speed::Medium, span::Speed::Fast}) {
        const QString name = QString::fromLatin1(span::speedName(speed).data(),
                                                 qsizetype(span::speedName(speed).size()));
        x -= metrics.horizontalAdvance(name);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(x, topRoom - 5), name);
        x -= markSize + 4;
        painter.setRenderHint(QPainter::Antialiasing, true);
        drawMark(painter, speed, QPointF(x + markSize / 2, topRoom - 5 - metrics.ascent() / 2.5));
        painter.setRenderHint(QPainter::Antialiasing, false);
        x -= 12;
    }
    if (shown.empty())
        return;

    // Dates along the bottom: the first and, where it differs, the last.
    const std::int64_t first = shown.front().when.utcMinutes;
    const std::int64_t last = shown.back().when.utcMinutes;
    const auto xOf = [&](std::int64_t minutes) {
        if (last <= first)
            return plot.center().x();
        return plot.left() + inset +
               (plot.width() - 2 * inset) * double(minutes - first) / double(last - first);
    };
    painter.setPen(Qt::black);
    const QRectF dates(plot.left(), plot.bottom() + 2, plot.width(), bottomRoom - 2);
    const QString from = dateText(shown.front().when);
    const QString to = dateText(shown.back().when);
    if (from == to) {
        painter.drawText(dates, Qt::AlignHCenter | Qt::AlignTop, from);
    } else {
        painter.drawText(dates, Qt::AlignLeft | Qt::AlignTop, from);
        painter.drawText(dates, Qt::AlignRight | Qt::AlignTop, to);
    }

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setClipRect(plot);
    for (const span::Test& test : shown)
        drawMark(painter, test.speed, QPointF(xOf(test.when.utcMinutes), yOf(test.span)));
}
