#include "scores/scorelist.h"

#include "scores/linescan.h"
#include "scores/scorefile.h"

#include <QBuffer>

namespace scores
{

ScoreList::Load ScoreList::load(const QString& path)
{
    auto list = std::make_unique<QFile>(path);
    if (!openList(*list, QIODevice::ReadOnly))
        return Load::Unreadable;
    std::unique_ptr<QIODevice> opened;
    if (list->size() <= readWhole) {
        auto whole = std::make_unique<QBuffer>();
        whole->setData(list->readAll());
        if (list->error() != QFileDevice::NoError || !whole->open(QIODevice::ReadOnly))
            return Load::Unreadable;
        opened = std::move(whole);
    } else {
        opened = std::move(list);
    }
    std::vector<Place> found;
    const bool read = scanLines(*opened, 0, [&](const ScannedLine& line) {
        found.push_back({quint32(line.offset), quint32(line.length)});
        return found.size() <= size_t(limit);
    });
    if (!read)
        return Load::Unreadable;
    if (found.size() > size_t(limit))
        return Load::TooLong;
    beginResetModel();
    places.swap(found);
    file = std::move(opened);
    endResetModel();
    return Load::Loaded;
}

int ScoreList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(places.size());
}

QVariant ScoreList::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || size_t(index.row()) >= places.size())
        return {};
    const Place place = places[size_t(index.row())];
    QByteArray head(std::min<qint64>(place.length, longestShown), Qt::Uninitialized);
    if (!file->seek(place.offset) || file->read(head.data(), head.size()) != head.size())
        return QString();
    return shownText(head, place.length);
}

} // namespace scores
