#include "scores/scoretext.h"

namespace scores
{

QString numberText(qint64 n)
{
    return n < 0 ? QString::number(n) : QLatin1Char(' ') + QString::number(n);
}

QString scoreLine(int score, const QString& name)
{
    QString safeName = name;
    safeName.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return numberText(score) + QStringLiteral("  Punkte für  ") + safeName;
}

} // namespace scores
