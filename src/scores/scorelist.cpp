#include "scores/scorelist.h"

#include "bestlist/linescan.h"
#include "scores/scorefile.h"

#include <QFile>

#include <sys/stat.h>

namespace scores
{

namespace
{

// The whole of a small file, or nothing when a read fails.
std::unique_ptr<bestlist::Source> wholeFile(int fd, qint64 size)
{
    std::string bytes;
    bytes.resize(size_t(size));
    qint64 got = 0;
    bestlist::FdSource file(fd);
    for (;;) {
        // The file may have grown since it was measured, but not beyond any list.
        if (size_t(got) == bytes.size())
            bytes.resize(bytes.size() + 4096);
        const long long n = file.readAt(got, bytes.data() + got, bytes.size() - size_t(got));
        if (n < 0 || got + n > bestlist::maxFileSize)
            return nullptr;
        if (n == 0)
            break;
        got += n;
    }
    bytes.resize(size_t(got));
    return std::make_unique<bestlist::BytesSource>(std::move(bytes));
}

} // namespace

ScoreList::Load ScoreList::load(const QString& path)
{
    bestlist::Descriptor list;
    if (bestlist::openForReading(QFile::encodeName(path).constData(), list) != bestlist::Opened::Ok)
        return Load::Unreadable;
    struct stat about {
    };
    if (::fstat(list.get(), &about) != 0)
        return Load::Unreadable;
    std::unique_ptr<bestlist::Source> opened;
    if (about.st_size <= readWhole)
        opened = wholeFile(list.get(), about.st_size);
    else
        opened = std::make_unique<bestlist::FdSource>(std::move(list));
    if (!opened)
        return Load::Unreadable;
    std::vector<Place> found;
    const bool read = bestlist::scanLines(*opened, 0, [&](const bestlist::ScannedLine& line) {
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
    if (file->readAt(place.offset, head.data(), size_t(head.size())) != head.size())
        return QString();
    return shownText(head, place.length);
}

} // namespace scores
