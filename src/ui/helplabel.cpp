#include "ui/helplabel.h"

#include <QPainter>
#include <QRegularExpression>

QString HelpLabel::shownText() const
{
    static const QRegularExpression run(QStringLiteral(" {%1,}").arg(breakingRun));
    return text().replace(run, QStringLiteral("\n"));
}

void HelpLabel::paintEvent(QPaintEvent*)
{
    // The background is filled before this runs (autoFillBackground).
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextWordWrap, shownText());
}
