#pragma once

#include "bestlist/io.h"

#include <QAbstractListModel>

#include <memory>
#include <vector>

namespace scores
{

// The lines of best.lst as the viewer shows them. It keeps where each line stands in the file and
// reads a line's text only when the view asks for it, so that a list costs eight bytes a line
// however long its lines are. The list shown stays the one opened, whatever saves come
// meanwhile: a small one, as the game writes them, is read whole, since a shared list's old file
// becomes the spare that the next save but one rewrites; a larger one stays open.
class ScoreList : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // More lines than this are not shown: the view's own layout would grow too slow and large.
    static constexpr int limit = 1000000;
    // Lists up to this size are read whole.
    static constexpr qint64 readWhole = qint64(256) * 1024;

    enum class Load { Loaded, TooLong, Unreadable };
    // Reads where the lines of the file stand; on anything but Loaded the list stays as it was.
    Load load(const QString& path);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct Place {
        quint32 offset; // the file is at most 64 MiB
        quint32 length;
    };
    std::vector<Place> places;
    std::unique_ptr<bestlist::Source> file;
};

} // namespace scores
