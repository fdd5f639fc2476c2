#include "scores/scoretext.h"

#include "bestlist/text.h"
#include "scores/cp1252.h"

namespace scores
{

QString numberText(qint64 n)
{
    return QString::fromStdString(bestlist::numberText(n));
}

QByteArray scoreLineBytes(int score, const QString& name)
{
    return QByteArray::fromStdString(bestlist::scoreLine(score, name.toStdU32String()));
}

QString scoreLine(int score, const QString& name)
{
    return decode1252(scoreLineBytes(score, name));
}

int lineScore(QStringView line)
{
    return lineScore(encode1252(line.left(3)));
}

int lineScore(QByteArrayView line)
{
    return bestlist::lineScore(std::string_view(line.data(), size_t(line.size())));
}

} // namespace scores
