#include "ui/helplabel.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStyleOption>

QString HelpLabel::shownText() const
{
    static const QRegularExpression run(QStringLiteral(" {%1,}").arg(breakingRun));
    return text().replace(run, QStringLiteral("\n"));
}

void HelpLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextWordWrap, shownText());
}
