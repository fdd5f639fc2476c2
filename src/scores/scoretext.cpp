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

int lineScore(const QString& line)
{
    QString head;
    for (const QChar c : QStringView(line).left(3)) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            head += c;
    }
    int pos = 0;
    bool negative = false;
    if (pos < head.size() && (head[pos] == QLatin1Char('-') || head[pos] == QLatin1Char('+'))) {
        negative = head[pos] == QLatin1Char('-');
        ++pos;
    }
    int value = 0; // at most three digits: no overflow
    for (; pos < head.size() && head[pos] >= QLatin1Char('0') && head[pos] <= QLatin1Char('9');
         ++pos)
        value = value * 10 + (head[pos].unicode() - '0');
    return negative ? -value : value;
}

} // namespace scores
