#include "scores/helper.h"

#include "scores/scoretext.h"

#include <QProcess>
#include <QStringDecoder>

namespace scores
{

std::optional<QString> requestedLine(QByteArrayView score, QByteArrayView name)
{
    // As the game writes a score: decimal digits, no sign, no leading zero, nothing around them.
    if (score.isEmpty() || score.size() > 3 || (score.size() > 1 && score.front() == '0'))
        return std::nullopt;
    int value = 0;
    for (const char digit : score) {
        if (digit < '0' || digit > '9')
            return std::nullopt;
        value = value * 10 + (digit - '0');
    }
    if (value > maxScore || name.isEmpty() || name.size() > longestName || name.contains('\0'))
        return std::nullopt;
    // Every byte as it is: a leading byte order mark is a character of the name too, and a
    // sequence cut short at the end is no character at all.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(name);
    if (utf8.hasError())
        return std::nullopt;
    return scoreLine(value, text);
}

SaveOutcome outcomeOf(int status)
{
    for (const SaveOutcome outcome :
         {SaveOutcome::Saved, SaveOutcome::Busy, SaveOutcome::ReadFailed, SaveOutcome::TooLarge}) {
        if (status == exitStatus(outcome))
            return outcome;
    }
    return SaveOutcome::WriteFailed;
}

SaveOutcome saveThroughHelper(const QString& helper, int score, const QString& name)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(helper, {QString::number(score)});
    if (!process.waitForStarted(30000))
        return SaveOutcome::WriteFailed;
    process.write(name.toUtf8());
    process.closeWriteChannel();
    // The helper waits for the lock no longer than the game itself; this bound is for a hang.
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return SaveOutcome::WriteFailed;
    }
    return process.exitStatus() == QProcess::NormalExit ? outcomeOf(process.exitCode())
                                                        : SaveOutcome::WriteFailed;
}

} // namespace scores
