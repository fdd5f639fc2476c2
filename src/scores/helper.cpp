#include "scores/helper.h"

#include <QProcess>

namespace scores
{

SaveOutcome outcomeOf(int status)
{
    for (const SaveOutcome outcome :
         {SaveOutcome::Saved, SaveOutcome::Busy, SaveOutcome::ReadFailed, SaveOutcome::TooLarge}) {
        if (status == bestlist::exitStatus(outcome))
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
