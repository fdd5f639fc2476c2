#include "scores/scorefile.h"

#include "bestlist/io.h"
#include "bestlist/save.h"
#include "scores/cp1252.h"
#include "scores/helper.h"
#include "scores/scoretext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace scores
{

namespace
{

// What a save through the helper needs no copy of.
class Discard final : public bestlist::Sink
{
public:
    bool write(std::string_view) override { return true; }
};

QStringList shown(const std::vector<bestlist::HeldLine>& lines)
{
    QStringList texts;
    for (const bestlist::HeldLine& line : lines)
        texts << shownText(QByteArrayView(line.head.data(), qsizetype(line.head.size())),
                           line.length);
    return texts;
}

// The first lines of the list at path as shown, for a save that the helper makes.
void readHeld(const std::string& path, QStringList* held)
{
    bestlist::Descriptor file;
    if (!held || bestlist::openForReading(path.c_str(), file) != bestlist::Opened::Ok)
        return;
    bestlist::FdSource old(file.get());
    Discard discarded;
    std::vector<bestlist::HeldLine> lines;
    bestlist::writeMerged(&old, discarded, {}, &lines);
    *held = shown(lines);
}

} // namespace

QString scorePath(const QString& programDirectory)
{
    return programDirectory + QDir::separator() + QLatin1String(fileName);
}

bool fileExists(const QString& path)
{
    std::error_code error;
    const bool regular = std::filesystem::is_regular_file(path.toStdU16String(), error);
    return regular && !error;
}

QString shownText(QByteArrayView head, qint64 length)
{
    QString text = decode1252(head.first(std::min<qint64>(head.size(), longestShown)));
    if (length > longestShown)
        text += QChar(0x2026);
    return text;
}

Count countLines(const QString& path, int score)
{
    return bestlist::countLines(QFile::encodeName(path).constData(), score);
}

SaveOutcome saveEntry(const QString& listPath, int score, const QString& name, QStringList* held)
{
    const std::string path = bestlist::resolvedList(QFile::encodeName(listPath).toStdString());
    if (bestlist::isShared(path) && !bestlist::mayLockShared(path)) {
        // A player may not write the shared list: the game's helper beside the game does.
        const QString helper =
            QFileInfo(listPath).absolutePath() + QLatin1Char('/') + QLatin1String(helperName);
        if (QFileInfo(helper).isExecutable()) {
            readHeld(path, held);
            return saveThroughHelper(helper, score, name);
        }
    }
    std::vector<bestlist::HeldLine> lines;
    const SaveOutcome outcome = bestlist::saveLine(path, scoreLineBytes(score, name).toStdString(),
                                                   held ? &lines : nullptr);
    if (held)
        *held = shown(lines);
    return outcome;
}

} // namespace scores
