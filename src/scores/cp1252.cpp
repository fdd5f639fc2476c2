#include "scores/cp1252.h"

#include "bestlist/cp1252.h"

#include <QList>

namespace scores
{

QString decode1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes)
        *out++ = QChar(char16_t(bestlist::characterOf(static_cast<unsigned char>(b))));
    return text;
}

QByteArray encode1252(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        const int b = bestlist::byteOf(c);
        bytes.append(b < 0 ? '?' : char(b));
    }
    return bytes;
}

} // namespace scores
