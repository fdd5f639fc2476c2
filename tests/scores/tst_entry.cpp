#include "support/formfixture.h"
#include "support/scorefiles.h"
#include "support/testmain.h"

#include "scores/scorefile.h"
#include "scores/scoretext.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace
{

bool wellFormed(const QString& line)
{
    static const QRegularExpression form(QStringLiteral("^(-| )\\d+  Punkte für  [^\\r\\n]*$"));
    return form.match(line).hasMatch();
}

QStringList dirEntries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

// The score file for a table row: "none", "empty", "N short" (N lines " 0") or line scores.
void makeList(const QString& path, const QString& file)
{
    if (file == QLatin1String("empty"))
        writeBytes(path, {});
    else if (file.endsWith(QLatin1String(" short")))
        writeBytes(path, QByteArray(" 0\r").repeated(file.section(QLatin1Char(' '), 0, 0).toInt()));
    else if (file != QLatin1String("none")) {
        QList<int> values;
        for (const QString& v : file.split(QLatin1Char(' ')))
            values << v.toInt();
        writeLines(path, linesScoring(values));
    }
}

// The scoresaver helper, as an unprivileged user when the tests run as root: permission bits
// stop nobody but root.
QProcess* startSaver(QObject* parent, const QStringList& args, bool unprivileged)
{
    QStringList command = QStringList{QStringLiteral(SCORESAVER)} + args;
    if (unprivileged && geteuid() == 0)
        command = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"),
                              QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups"),
                              QStringLiteral("--")} +
                  command;
    auto* saver = new QProcess(parent);
    saver->start(command.takeFirst(), command);
    return saver;
}

constexpr auto rw = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                    QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
constexpr auto rx = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                    QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

} // namespace

class EntryTest : public QObject
{
    Q_OBJECT
private slots:
    void qualification_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("score");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<int>("counted");
        QTest::newRow("no file, 0") << "none" << 0 << true << 0;
        QTest::newRow("0-byte file") << "empty" << 3 << true << 0;
        QTest::newRow("9 lines, equal to all") << "9 9 9 9 9 9 9 9 9" << 9 << false << 9;
        QTest::newRow("9 lines, one lower") << "9 9 9 9 9 9 9 9 1" << 2 << true << 9;
        QTest::newRow("many short lines, 0") << "300000 short" << 0 << false << 300000;
        QTest::newRow("many short lines, 1") << "300000 short" << 1 << true << 300000;
    }
    void qualification()
    {
        QFETCH(QString, file);
        QFETCH(int, score);
        QFETCH(bool, offered);
        QFETCH(int, counted);
        FormFixture f;
        makeList(f.scorePath(), file);
        f.finishRound(score);
        QCOMPARE(f.form->clickcount - 1, score);
        QCOMPARE(!f.form->Frame3->isHidden(), offered);
        QCOMPARE(f.form->linecount, counted);
        QVERIFY(f.platform.boxes.isEmpty());
    }

    void firstEntryCreatesTheFile()
    {
        FormFixture f;
        f.finishRound(7);
        QVERIFY(!f.form->Frame3->isHidden());
        f.form->Text1->setText(QStringLiteral("Gast"));
        f.form->Command9->click();
        QVERIFY(f.form->Frame3->isHidden());
        QCOMPARE(readBytes(f.scorePath()), " 7  Punkte f\xfcr  Gast\r\n"_ba);
        QVERIFY(f.platform.boxes.isEmpty());
    }

    // The designed merge, each case in its own table in the score file tests; here what the
    // name entry makes of a list.
    void entryMergedIntoTheFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("score");
        QTest::addColumn<QStringList>("after"); // line scores, N the new line
        QTest::newRow("0-byte file") << "empty" << 4 << QStringList{"N"};
        QTest::newRow("10 lines, beats the 5th")
            << "30 29 28 27 26 25 24 23 22 21" << 26
            << QString("30 29 28 27 N 26 25 24 23 22 21").split(' ');
        QTest::newRow("many short lines")
            << "300000 short" << 1 << (QStringList{"N"} + QStringList(10, "0"));
    }
    void entryMergedIntoTheFile()
    {
        QFETCH(QString, file);
        QFETCH(int, score);
        QFETCH(QStringList, after);
        FormFixture f;
        makeList(f.scorePath(), file);
        const QStringList old = fileLines(f.scorePath());
        f.finishRound(score);
        QVERIFY(!f.form->Frame3->isHidden());
        f.form->Text1->setText(QStringLiteral("Neu"));
        f.form->Command9_Click();
        QVERIFY(f.form->Frame3->isHidden());
        QStringList expected = old.mid(0, 10);
        expected.insert(after.indexOf("N"), scores::scoreLine(score, QStringLiteral("Neu")));
        QCOMPARE(fileLines(f.scorePath()), expected);
        QCOMPARE(f.form->scorelinecount, std::min(int(old.size()), 50));
    }

    void emptyNameBecomesAnonymer()
    {
        FormFixture f;
        f.finishRound(12);
        QVERIFY(f.form->Text1->text().isEmpty());
        f.form->Command9_Click();
        QCOMPARE(f.form->Text1->text(), QStringLiteral("Anonymer"));
        QCOMPARE(fileLines(f.scorePath()),
                 QStringList{QStringLiteral(" 12  Punkte für  Anonymer")});
        // The box is never cleared: the next entry offers the same name.
        f.finishRound(20);
        QVERIFY(!f.form->Frame3->isHidden());
        QCOMPARE(f.form->Text1->text(), QStringLiteral("Anonymer"));
        // A name of blanks is a name.
        f.form->Text1->setText(QStringLiteral("   "));
        f.form->Command9_Click();
        QCOMPARE(fileLines(f.scorePath()).first(), QStringLiteral(" 20  Punkte für     "));
    }

    void cancelKeepsFileAndName()
    {
        FormFixture f;
        const QByteArray before = reference::joinLines(linesScoring({9, 8, 7}));
        writeBytes(f.scorePath(), before);
        f.finishRound(4);
        f.form->Text1->setText(QStringLiteral("Jürgen"));
        f.form->Command10->click();
        QVERIFY(f.form->Frame3->isHidden());
        QCOMPARE(readBytes(f.scorePath()), before);
        QCOMPARE(f.form->Text1->text(), QStringLiteral("Jürgen"));
    }

    void nameIsWrittenWholeOnOneLine()
    {
        FormFixture f;
        f.finishRound(1);
        const QString name = QString(40000, QLatin1Char('n')) + QStringLiteral("\nAdam");
        f.form->Text1->setText(name);
        QCOMPARE(f.form->Text1->text().size(), 40005);
        f.form->Command9_Click();
        const QStringList lines = fileLines(f.scorePath());
        QCOMPARE(lines, QStringList{scores::scoreLine(1, QString(name).replace('\n', ' '))});
        QVERIFY(wellFormed(lines[0]));
    }

    void directoryNamedLikeTheFile()
    {
        FormFixture f;
        QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("best.lst")));
        f.finishRound(3);
        QVERIFY(!f.form->Frame3->isHidden());
        f.form->Text1->setText(QStringLiteral("Eva"));
        f.form->Command9_Click();
        QCOMPARE(f.platform.boxes.size(), 1);
        QVERIFY(f.platform.boxes[0].text.contains(QStringLiteral("nicht geschrieben")));
        QCOMPARE(f.platform.boxes[0].icon, Platform::Icon::Exclamation);
        QVERIFY(!f.form->Frame3->isHidden());
        QCOMPARE(f.form->Text1->text(), QStringLiteral("Eva"));
        QVERIFY(QFileInfo(f.scorePath()).isDir());
        // The viewer finds no list.
        f.form->best_Click();
        QCOMPARE(f.platform.boxes.last().title, QStringLiteral("Na sowas"));
    }

    void programDirectoryMissing()
    {
        FormFixture f;
        f.platform.directory = f.dir.filePath(QStringLiteral("fehlt"));
        f.finishRound(3);
        f.form->Text1->setText(QStringLiteral("Eva"));
        f.form->Command9_Click();
        QCOMPARE(f.platform.boxes.size(), 1);
        QVERIFY(f.platform.boxes[0].text.contains(QStringLiteral("nicht geschrieben")));
        QVERIFY(!f.form->Frame3->isHidden());
        QVERIFY(!QFileInfo::exists(f.platform.directory));
    }

    // Larger than any list of best results, or a list whose reading fails: each reader says
    // which, and changes nothing. A link planted in the place of a shared list is never followed
    // by a save, root's included: nothing is written through it.
    void unreadableList_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("list");
        QTest::newRow("too large: viewer") << "viewer"
                                           << "too large";
        QTest::newRow("too large: OK") << "OK"
                                       << "too large";
        QTest::newRow("too large: schon erledigt") << "save"
                                                   << "too large";
        QTest::newRow("read fails: viewer") << "viewer"
                                            << "read fails";
        QTest::newRow("read fails: OK") << "OK"
                                        << "read fails";
        QTest::newRow("a shared list that is a link: schon erledigt") << "save"
                                                                      << "planted";
    }
    void unreadableList()
    {
        QFETCH(QString, reader);
        QFETCH(QString, list);
        FormFixture f;
        Form1& w = *f.form;
        const bool oversized = list == QLatin1String("too large");
        QTemporaryDir shared;
        const QString outside = f.dir.filePath(QStringLiteral("outside"));
        if (oversized) {
            writeOversizedFile(f.scorePath());
        } else if (list == QLatin1String("read fails")) {
            // Reading a process's memory from address 0 fails, whoever reads it, root included.
            QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), f.scorePath()));
        } else {
            const QString planted = scores::scorePath(shared.path());
            makeSharedList(planted, {});
            writeBytes(outside, "geheim");
            QVERIFY(QFile::link(outside, planted) && QFile::link(planted, f.scorePath()));
        }
        if (reader == QLatin1String("viewer"))
            w.best_Click();
        else
            f.finishRound(3);
        if (reader == QLatin1String("save")) {
            f.platform.boxes.clear();
            w.offerentry();
            w.Command9_Click();
        }
        QCOMPARE(f.platform.boxes.size(), 1);
        const QString kept =
            reader == QLatin1String("save")
                ? QStringLiteral("\n\nIhr Eintrag wurde nicht gespeichert; die Liste bleibt, wie "
                                 "sie war.")
                : QString();
        QCOMPARE(f.platform.boxes[0].text,
                 oversized
                     ? QStringLiteral("Die Bestenliste ist zu groß, um gelesen zu werden:\n") +
                           f.scorePath() +
                           QStringLiteral("\n\nGelesen werden Listen bis 67.108.864 Bytes.") + kept
                     : QStringLiteral("Die Bestenliste konnte nicht gelesen werden:\n") +
                           f.scorePath() + kept);
        QCOMPARE(f.platform.boxes[0].title, QStringLiteral("Bestenliste"));
        QVERIFY(w.Frame2->isHidden());
        QCOMPARE(w.Frame3->isHidden(), reader != QLatin1String("save"));
        if (oversized)
            QCOMPARE(QFileInfo(f.scorePath()).size(), scores::maxFileSize + 1);
        if (list == QLatin1String("planted"))
            QCOMPARE(readBytes(outside), "geheim"_ba);
    }

    void lockHeldByAnotherProcess()
    {
        FormFixture f;
        const QByteArray before = reference::joinLines(linesScoring({9, 8}));
        writeBytes(f.scorePath(), before);
        QProcess holder;
        holder.start(QStringLiteral(SCORESAVER), {QStringLiteral("hold-lock"), f.dir.path()});
        QVERIFY(holder.waitForReadyRead(60000));
        QCOMPARE(holder.readAll().trimmed(), "locked"_ba);
        f.finishRound(5);
        f.form->Text1->setText(QStringLiteral("Eva"));
        f.form->Command9_Click();
        QCOMPARE(f.platform.boxes.size(), 1);
        QVERIFY(f.platform.boxes[0].text.contains(QStringLiteral("anderen Spiel")));
        QVERIFY(!f.form->Frame3->isHidden());
        QCOMPARE(readBytes(f.scorePath()), before);
        // Once the other copy has gone, so has its lock, and the save goes through.
        holder.kill();
        holder.waitForFinished();
        f.form->Command9_Click();
        QVERIFY(f.form->Frame3->isHidden());
        QCOMPARE(fileLines(f.scorePath()).size(), 3);
    }

    void fullDiskLeavesTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = scores::scorePath(dir.path());
        const QByteArray before = reference::joinLines(linesScoring({60, 50, 40, 30, 20, 10}));
        writeBytes(path, before);
        QProcess saver;
        saver.start(QStringLiteral(SCORESAVER),
                    {QStringLiteral("save-limited"), dir.path(),
                     QString::number(before.size() + 100), QString(5000, QLatin1Char('x'))});
        QVERIFY(saver.waitForFinished(60000));
        QCOMPARE(saver.exitCode(), 0);
        QCOMPARE(saver.readAllStandardOutput().trimmed(), "write-failed"_ba);
        QCOMPARE(readBytes(path), before);
        QCOMPARE(dirEntries(dir.path()), QStringList{QStringLiteral("best.lst")});
        // Within the limit the same helper saves.
        saver.start(QStringLiteral(SCORESAVER), {QStringLiteral("save-limited"), dir.path(),
                                                 QStringLiteral("100000"), QStringLiteral("y")});
        QVERIFY(saver.waitForFinished(60000));
        QCOMPARE(saver.readAllStandardOutput().trimmed(), "saved"_ba);
        QCOMPARE(fileLines(path).size(), 7);
    }

    // A player saves into a list that the folder's owner shares: in a writable folder the list
    // is replaced, in a read-only one rewritten in place; its permission bits stay either way.
    // A list the player may not write is left as it was. Where the program's best.lst is a link
    // to a list in another folder, the list is saved there and the link stays a link, also from
    // a program folder that the player may write.
    void sharedList_data()
    {
        QTest::addColumn<bool>("linked");
        QTest::addColumn<bool>("folderWritable");
        QTest::addColumn<bool>("fileWritable");
        QTest::addColumn<QByteArray>("outcome");
        QTest::newRow("writable folder") << false << true << true << "saved 5"_ba;
        QTest::newRow("read-only folder") << false << false << true << "saved 5"_ba;
        QTest::newRow("read-only folder and list")
            << false << false << false << "write-failed 5"_ba;
        QTest::newRow("link into a writable folder") << true << true << true << "saved 5"_ba;
        QTest::newRow("link into a read-only folder") << true << false << true << "saved 5"_ba;
    }
    void sharedList()
    {
        QFETCH(bool, linked);
        QFETCH(bool, folderWritable);
        QFETCH(bool, fileWritable);
        QFETCH(QByteArray, outcome);
        QTemporaryDir dir;
        QTemporaryDir shared;
        const QString path = scores::scorePath(linked ? shared.path() : dir.path());
        if (linked) {
            QVERIFY(QFile::link(path, scores::scorePath(dir.path())));
            QVERIFY(QFile::setPermissions(dir.path(), rx | rw));
        }
        // Twelve lines: the new list of eleven is shorter than the old one.
        const QStringList before = linesScoring({20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9});
        writeLines(path, before);
        const auto mode = fileWritable ? rw : QFileDevice::ReadOwner | QFileDevice::ReadOther;
        QVERIFY(QFile::setPermissions(path, mode));
        const QString folder = QFileInfo(path).path();
        QVERIFY(QFile::setPermissions(folder, folderWritable ? rx | rw : rx));
        QProcess* saver = startSaver(this,
                                     {QStringLiteral("save"), dir.path(), QStringLiteral("x"),
                                      QStringLiteral("5"), QStringLiteral("1")},
                                     true);
        QVERIFY(saver->waitForFinished(60000));
        QCOMPARE(saver->readAllStandardOutput().trimmed().split('\n').last(), outcome);
        const QStringList expected = outcome.startsWith("saved")
                                         ? reference::merged(before, scores::scoreLine(5, "x5"))
                                         : before;
        QCOMPARE(fileLines(path), expected);
        const auto userBits = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
        QCOMPARE(QFileInfo(path).permissions() & ~userBits, QFileDevice::Permissions(mode));
        QCOMPARE(dirEntries(folder), QStringList{QStringLiteral("best.lst")});
        QCOMPARE(QFileInfo(scores::scorePath(dir.path())).isSymLink(), linked);
        QCOMPARE(dirEntries(dir.path()), QStringList{QStringLiteral("best.lst")});
        QFile::setPermissions(folder, rx | rw);
    }

    // Killed at any moment of a save, a saver leaves the list as it was or as the save in flight
    // makes it. Each kill comes a random while after the saver's first save, whatever the
    // machine's speed, so that it lands in the middle of one of the saves that follow. A shared
    // list is saved by swapping it with its spare, or by links where names cannot be swapped;
    // after the kills, a whole save leaves the old list as the spare and nothing else behind.
    void killedWhileSavingLosesNothing_data()
    {
        QTest::addColumn<bool>("shared");
        QTest::addColumn<QString>("mode");
        QTest::newRow("replaced") << false << "save";
        QTest::newRow("shared, swapped with its spare") << true << "save";
        QTest::newRow("shared, by links") << true << "save-without-swap";
    }
    void killedWhileSavingLosesNothing()
    {
        QFETCH(bool, shared);
        QFETCH(QString, mode);
        QTemporaryDir dir;
        const QString path = scores::scorePath(dir.path());
        if (shared)
            makeSharedList(path, linesScoring({90, 80, 70}));
        else
            writeLines(path, linesScoring({90, 80, 70}));
        int next = 0;
        int midSave = 0;
        int replaced = 0;
        int halfway = 0;
        for (int run = 0; run < 40; ++run) {
            const QStringList before = fileLines(path);
            QProcess saver;
            saver.start(QStringLiteral(SCORESAVER),
                        {mode, dir.path(), QStringLiteral("p"), QString::number(next),
                         QStringLiteral("100000")});
            QByteArray output;
            while (!output.contains("saved ") && saver.waitForReadyRead(60000))
                output += saver.readAllStandardOutput();
            QVERIFY2(output.contains("saved "), "the saver never finished its first save");
            QTest::qWait(QRandomGenerator::global()->bounded(0, 20));
            saver.kill(); // SIGKILL
            QVERIFY(saver.waitForFinished(60000));
            output += saver.readAllStandardOutput();
            const int done = int(output.count("saved "));
            if (output.trimmed().split('\n').last().startsWith("saving "))
                ++midSave;
            // The file is what the finished saves made of it, or that and the save under way.
            QStringList expected = before;
            for (int i = next; i < next + done; ++i)
                expected = reference::merged(
                    expected, scores::scoreLine(i % 97, QStringLiteral("p%1").arg(i)));
            const QStringList inFlight = reference::merged(
                expected,
                scores::scoreLine((next + done) % 97, QStringLiteral("p%1").arg(next + done)));
            const QStringList now = fileLines(path);
            QVERIFY2(now == expected || now == inFlight,
                     qPrintable(QStringLiteral("run %1").arg(run)));
            for (const QString& line : now)
                QVERIFY(wellFormed(line));
            if (now == inFlight)
                ++replaced;
            if (QFile::exists(path + QLatin1String(bestlist::keptSuffix)))
                ++halfway;
            next += done + 1;
        }
        qInfo("%d saves, %d of 40 kills in the middle of a save, %d of them after it had put "
              "the new list in place, %d between two steps of a save by links",
              next, midSave, replaced, halfway);
        QVERIFY(midSave >= 20);
        if (!shared)
            return;
        // As a save by links leaves it when killed before its last step, if the last kill did not:
        // the new list in place, the old one under its second name, no spare. The next save
        // finishes that step first.
        const QStringList before = fileLines(path);
        const QString spare = path + QLatin1String(scores::spareSuffix);
        const QString kept = path + QLatin1String(bestlist::keptSuffix);
        if (QFile::exists(spare)) {
            QFile::remove(kept);
            QVERIFY(QFile::rename(spare, kept));
        }
        QProcess saver;
        saver.start(QStringLiteral(SCORESAVER), {mode, dir.path(), QStringLiteral("p"),
                                                 QString::number(next), QStringLiteral("1")});
        QVERIFY(saver.waitForFinished(60000));
        QCOMPARE(saver.exitCode(), 0);
        QCOMPARE(
            fileLines(path),
            reference::merged(before, scores::scoreLine(next % 97, "p" + QString::number(next))));
        QCOMPARE(fileLines(spare), before);
        QCOMPARE(dirEntries(dir.path()),
                 (QStringList{"best.lst", "best.lst.lock", "best.lst.spare"}));
    }

    // Two copies of the game save at once, both replacing the list, or one replacing it while
    // the other, whose user may not write the folder, rewrites it in place: no entry is lost.
    void twoCopiesSavingAtOnceKeepEveryEntry_data()
    {
        QTest::addColumn<bool>("secondInPlace");
        QTest::addColumn<bool>("shared");
        QTest::addColumn<QString>("mode");
        QTest::newRow("both replace") << false << false << "save";
        QTest::newRow("one in place") << true << false << "save";
        QTest::newRow("a shared list, from its first entry") << false << true << "save";
        QTest::newRow("a shared list, by links") << false << true << "save-without-swap";
    }
    void twoCopiesSavingAtOnceKeepEveryEntry()
    {
        QFETCH(bool, secondInPlace);
        QFETCH(bool, shared);
        QFETCH(QString, mode);
        if (secondInPlace && geteuid() != 0)
            GZ_SKIP("two users are needed: run as root");
        for (int round = 0; round < 8; ++round) {
            QTemporaryDir dir;
            const QString path = scores::scorePath(dir.path());
            if (shared) {
                makeSharedList(path, {});
            } else {
                writeBytes(path, {});
                QVERIFY(QFile::setPermissions(path, rw));
                QVERIFY(QFile::setPermissions(dir.path(), rx | QFileDevice::WriteOwner));
            }
            // Five entries each, eleven lines at most: the merge keeps them all.
            QProcess* first = startSaver(this, {mode, dir.path(), "a", "10", "5"}, false);
            QProcess* second = startSaver(this, {mode, dir.path(), "b", "20", "5"}, secondInPlace);
            QVERIFY(first->waitForFinished(60000) && second->waitForFinished(60000));
            QCOMPARE(first->exitCode(), 0);
            QCOMPARE(second->exitCode(), 0);
            QStringList expected;
            for (int i = 24; i >= 20; --i)
                expected << scores::scoreLine(i, QStringLiteral("b%1").arg(i));
            for (int i = 14; i >= 10; --i)
                expected << scores::scoreLine(i, QStringLiteral("a%1").arg(i));
            QCOMPARE(fileLines(path), expected);
        }
    }

    // The game's helper as a player's game runs it, on the one list it was built for: its answer
    // for each state of that list, and the list afterwards. The name comes in the pieces given,
    // with a pause after each; the lock may be held by another save for a short while (less than
    // the wait) or for as long as the helper waits.
    void helper_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QByteArray>("score");
        QTest::addColumn<QByteArrayList>("name");
        QTest::addColumn<int>("status");
        const QByteArrayList gast{"Gast"_ba};
        QTest::newRow("saved") << "lines"
                               << "7"_ba << gast << 0;
        QTest::newRow("the first entry") << "none"
                                         << "7"_ba << gast << 0;
        QTest::newRow("busy") << "locked"
                              << "7"_ba << gast << 1;
        QTest::newRow("locked for a short while") << "locked briefly"
                                                  << "7"_ba << gast << 0;
        QTest::newRow("too large") << "oversized"
                                   << "7"_ba << gast << 4;
        QTest::newRow("no spare") << "no spare"
                                  << "7"_ba << gast << 3;
        QTest::newRow("a spare that is the list") << "spare is the list"
                                                  << "7"_ba << gast << 3;
        QTest::newRow("a score no round gives") << "lines"
                                                << "501"_ba << gast << 64;
        QTest::newRow("a name in pieces")
            << "lines"
            << "7"_ba << QByteArrayList{"G", "\xc3", "\xa4st ", "Eva"} << 0;
        // More than a pipe holds: no single read can bring it.
        QTest::newRow("a name longer than a pipe's first read")
            << "lines"
            << "7"_ba << QByteArrayList{QByteArray(100000, 'n'), "!"} << 0;
    }
    void helper()
    {
        QFETCH(QString, list);
        QFETCH(QByteArray, score);
        QFETCH(QByteArrayList, name);
        QFETCH(int, status);
        const QString path = QStringLiteral(GZ_HELPER_LIST);
        QDir folder = QFileInfo(path).dir();
        QVERIFY(folder.removeRecursively() && folder.mkpath(QStringLiteral(".")));
        const QStringList before =
            list == QLatin1String("none") ? QStringList() : linesScoring({9, 5});
        makeSharedList(path, before);
        if (list == QLatin1String("oversized"))
            writeOversizedFile(path);
        if (list.contains(QLatin1String("spare")))
            QVERIFY(QFile::remove(path + QLatin1String(scores::spareSuffix)));
        // The same file under two names, as a hard link makes it.
        if (list == QLatin1String("spare is the list"))
            QVERIFY(::link(qPrintable(path), qPrintable(path + scores::spareSuffix)) == 0);
        QProcess holder;
        if (list.startsWith(QLatin1String("locked"))) {
            holder.start(QStringLiteral(SCORESAVER),
                         {QStringLiteral("hold-lock"), path + QLatin1String(scores::lockSuffix)});
            QVERIFY(holder.waitForReadyRead(60000));
        }
        QProcess helper;
        helper.start(QStringLiteral(GZ_TEST_HELPER), {QString::fromLatin1(score)});
        for (const QByteArray& piece : name) {
            helper.write(piece);
            QVERIFY(helper.waitForBytesWritten(60000));
            QTest::qWait(50);
        }
        helper.closeWriteChannel();
        if (list == QLatin1String("locked briefly")) {
            // Well within the helper's wait, which began before the pauses above.
            QCOMPARE(helper.state(), QProcess::Running);
            holder.closeWriteChannel();
            QVERIFY(holder.waitForFinished(60000));
        }
        QVERIFY(helper.state() == QProcess::NotRunning || helper.waitForFinished(60000));
        QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
        QCOMPARE(helper.exitCode(), status);
        const QString entry = scores::scoreLine(7, QString::fromUtf8(name.join()));
        if (list != QLatin1String("oversized"))
            QCOMPARE(fileLines(path), status == 0 ? reference::merged(before, entry) : before);
        // The names were swapped: the old list is the spare now.
        if (status == 0 && list == QLatin1String("lines"))
            QCOMPARE(fileLines(path + QLatin1String(scores::spareSuffix)), before);
        // The spare stays beside the list; the reserve only until the first entry.
        QCOMPARE(QFile::exists(path + QLatin1String(scores::spareSuffix)),
                 list != QLatin1String("no spare"));
        QCOMPARE(QFile::exists(path + QLatin1String(scores::reserveSuffix)),
                 list == QLatin1String("none") && status != 0);
        holder.kill();
        holder.waitForFinished();
    }
};

GZ_TEST_MAIN(EntryTest)
#include "tst_entry.moc"
