#include "support/formfixture.h"
#include "support/scorefiles.h"
#include "support/testmain.h"

#include "scores/cp1252.h"
#include "scores/ranking.h"
#include "scores/scorefile.h"
#include "scores/scoretext.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace
{

QStringList fileLines(const QString& path)
{
    return scores::splitLines(readBytes(path));
}

bool wellFormed(const QString& line)
{
    static const QRegularExpression form(QStringLiteral("^(-| )\\d+  Punkte für  [^\\r\\n]*$"));
    return form.match(line).hasMatch();
}

QStringList dirEntries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class EntryTest : public QObject
{
    Q_OBJECT
private slots:
    void qualification_data()
    {
        QTest::addColumn<QString>("file"); // "none", "empty" or the line scores
        QTest::addColumn<int>("score");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<int>("counted");
        QTest::newRow("no file, 0") << "none" << 0 << true << 0;
        QTest::newRow("0-byte file") << "empty" << 3 << true << 0;
        QTest::newRow("9 lines, equal to all") << "9 9 9 9 9 9 9 9 9" << 9 << false << 9;
        QTest::newRow("9 lines, one lower") << "9 9 9 9 9 9 9 9 1" << 2 << true << 9;
        QTest::newRow("10 lines, equal") << "5 5 5 5 5 5 5 5 5 5" << 5 << false << 10;
    }
    void qualification()
    {
        QFETCH(QString, file);
        QFETCH(int, score);
        QFETCH(bool, offered);
        QFETCH(int, counted);
        FormFixture f;
        if (file == QLatin1String("empty")) {
            writeBytes(f.scorePath(), {});
        } else if (file != QLatin1String("none")) {
            QList<int> values;
            for (const QString& v : file.split(QLatin1Char(' ')))
                values << v.toInt();
            QVERIFY(scores::writeLines(f.scorePath(), linesScoring(values)));
        }
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

    void entryMergedIntoTheFile_data()
    {
        QTest::addColumn<QList<int>>("file");
        QTest::addColumn<int>("score");
        QTest::addColumn<int>("newIndex");
        QTest::addColumn<int>("lines");
        QTest::newRow("0-byte file") << QList<int>{} << 4 << 0 << 1;
        QTest::newRow("8 lines, lowest") << QList<int>(8, 9) << 2 << 8 << 9;
        QTest::newRow("9 lines, one lower") << (QList<int>(8, 9) << 1) << 2 << 8 << 10;
        QTest::newRow("10 lines, beats the 5th")
            << QList<int>{30, 29, 28, 27, 26, 25, 24, 23, 22, 21} << 26 << 4 << 11;
        QTest::newRow("equal goes first") << QList<int>{20, 15, 15, 10} << 15 << 1 << 5;
    }
    void entryMergedIntoTheFile()
    {
        QFETCH(QList<int>, file);
        QFETCH(int, score);
        QFETCH(int, newIndex);
        QFETCH(int, lines);
        FormFixture f;
        const QStringList old = linesScoring(file);
        if (old.isEmpty())
            writeBytes(f.scorePath(), {});
        else
            QVERIFY(scores::writeLines(f.scorePath(), old));
        f.finishRound(score);
        QVERIFY(!f.form->Frame3->isHidden());
        f.form->Text1->setText(QStringLiteral("Neu"));
        f.form->Command9_Click();
        QVERIFY(f.form->Frame3->isHidden());
        const QStringList now = fileLines(f.scorePath());
        QCOMPARE(now.size(), lines);
        QCOMPARE(now[newIndex], scores::scoreLine(score, QStringLiteral("Neu")));
        QStringList rest = now;
        rest.removeAt(newIndex);
        QCOMPARE(rest, old.mid(0, 10));
        QCOMPARE(f.form->scorelinecount, int(file.size()));
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
        const QByteArray before = scores::joinLines(linesScoring({9, 8, 7}));
        writeBytes(f.scorePath(), before);
        f.finishRound(4);
        f.form->Text1->setText(QStringLiteral("Jürgen"));
        f.form->Command10->click();
        QVERIFY(f.form->Frame3->isHidden());
        QCOMPARE(readBytes(f.scorePath()), before);
        QCOMPARE(f.form->Text1->text(), QStringLiteral("Jürgen"));
    }

    void longNameIsNotCut()
    {
        FormFixture f;
        f.finishRound(1);
        const QString name(40000, QLatin1Char('n'));
        f.form->Text1->setText(name);
        QCOMPARE(f.form->Text1->text().size(), 40000);
        f.form->Command9_Click();
        QCOMPARE(fileLines(f.scorePath()).first(), scores::scoreLine(1, name));
    }

    void pastedLineBreaksStayOutOfTheFile()
    {
        FormFixture f;
        f.finishRound(2);
        f.form->Text1->setText(QStringLiteral("Eva\nAdam"));
        f.form->Command9_Click();
        const QStringList lines = fileLines(f.scorePath());
        QCOMPARE(lines.size(), 1);
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

    void unreadableFile()
    {
        FormFixture f;
        // Too large to be a list of best results: refused, as root too.
        writeOversizedFile(f.scorePath());
        f.finishRound(3);
        QCOMPARE(f.platform.boxes.size(), 1);
        QVERIFY(f.platform.boxes[0].text.contains(QStringLiteral("nicht gelesen")));
        QVERIFY(f.form->Frame3->isHidden());
        // A save that finds it so reports it and leaves it alone.
        f.form->offerentry();
        f.form->Command9_Click();
        QCOMPARE(f.platform.boxes.size(), 2);
        QVERIFY(f.platform.boxes[1].text.contains(QStringLiteral("nicht gelesen")));
        QVERIFY(!f.form->Frame3->isHidden());
        QCOMPARE(QFileInfo(f.scorePath()).size(), scores::maxFileSize + 1);
    }

    void lockHeldByAnotherProcess()
    {
        FormFixture f;
        const QByteArray before = scores::joinLines(linesScoring({9, 8}));
        writeBytes(f.scorePath(), before);
        QProcess holder;
        holder.start(QStringLiteral(SCORESAVER), {QStringLiteral("hold-lock"), f.dir.path()});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readAll().trimmed(), "locked"_ba);
        f.finishRound(5);
        f.form->Text1->setText(QStringLiteral("Eva"));
        f.form->Command9_Click();
        QCOMPARE(f.platform.boxes.size(), 1);
        QVERIFY(f.platform.boxes[0].text.contains(QStringLiteral("anderen Spiel")));
        QVERIFY(!f.form->Frame3->isHidden());
        QCOMPARE(readBytes(f.scorePath()), before);
        // Once the other copy has gone, its lock is stale and the save goes through.
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
        const QByteArray before = scores::joinLines(linesScoring({60, 50, 40, 30, 20, 10}));
        writeBytes(path, before);
        QProcess saver;
        saver.start(QStringLiteral(SCORESAVER),
                    {QStringLiteral("save-limited"), dir.path(),
                     QString::number(before.size() + 100), QString(5000, QLatin1Char('x'))});
        QVERIFY(saver.waitForFinished(30000));
        QCOMPARE(saver.exitCode(), 0);
        QCOMPARE(saver.readAllStandardOutput().trimmed(), "write-failed"_ba);
        QCOMPARE(readBytes(path), before);
        QCOMPARE(dirEntries(dir.path()), QStringList{QStringLiteral("best.lst")});
        // Within the limit the same helper saves.
        saver.start(QStringLiteral(SCORESAVER), {QStringLiteral("save-limited"), dir.path(),
                                                 QStringLiteral("100000"), QStringLiteral("y")});
        QVERIFY(saver.waitForFinished(30000));
        QCOMPARE(saver.readAllStandardOutput().trimmed(), "saved"_ba);
        QCOMPARE(fileLines(path).size(), 7);
    }

    void readOnlyFolderLeavesTheOldFile()
    {
        // Permission bits stop nobody but root: as root, the helper runs as "nobody".
        QTemporaryDir dir;
        const QString path = scores::scorePath(dir.path());
        const QByteArray before = scores::joinLines(linesScoring({9, 8}));
        writeBytes(path, before);
        QVERIFY(
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                  QFileDevice::ReadOther | QFileDevice::ExeOther |
                                                  QFileDevice::ReadGroup | QFileDevice::ExeGroup));
        QStringList command = {
            QStringLiteral(SCORESAVER), QStringLiteral("save"), dir.path(),
            QStringLiteral("x"),        QStringLiteral("5"),    QStringLiteral("1")};
        if (geteuid() == 0)
            command = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"),
                                  QStringLiteral("--regid=nogroup"),
                                  QStringLiteral("--clear-groups"), QStringLiteral("--")} +
                      command;
        QProcess saver;
        saver.start(command.takeFirst(), command);
        const bool ran = saver.waitForFinished(30000);
        const QByteArray output = saver.readAllStandardOutput();
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
        if (!ran || output.isEmpty())
            QSKIP("the helper could not run as an unprivileged user here");
        QCOMPARE(output.trimmed(), "write-failed 5"_ba);
        QCOMPARE(readBytes(path), before);
    }

    void killedWhileSavingLosesNothing()
    {
        QTemporaryDir dir;
        const QString path = scores::scorePath(dir.path());
        QVERIFY(scores::writeLines(path, linesScoring({90, 80, 70})));
        int next = 0;
        int killedMidway = 0;
        for (int run = 0; run < 40; ++run) {
            const QStringList before = fileLines(path);
            QProcess saver;
            saver.start(QStringLiteral(SCORESAVER),
                        {QStringLiteral("save"), dir.path(), QStringLiteral("p"),
                         QString::number(next), QStringLiteral("100000")});
            QVERIFY(saver.waitForStarted());
            QTest::qWait(QRandomGenerator::global()->bounded(5, 60));
            saver.kill(); // SIGKILL
            QVERIFY(saver.waitForFinished());
            const int done = int(saver.readAllStandardOutput().count("saved "));
            // The file is what the finished saves made of it, or that and the save under way.
            QStringList expected = before;
            for (int i = next; i < next + done; ++i)
                expected = scores::merged(expected,
                                          scores::scoreLine(i % 97, QStringLiteral("p%1").arg(i)));
            const QStringList inFlight =
                scores::merged(expected, scores::scoreLine((next + done) % 97,
                                                           QStringLiteral("p%1").arg(next + done)));
            const QStringList now = fileLines(path);
            QVERIFY2(now == expected || now == inFlight,
                     qPrintable(QStringLiteral("run %1").arg(run)));
            for (const QString& line : now)
                QVERIFY(wellFormed(line));
            if (now == inFlight)
                ++killedMidway;
            next += done + 1;
        }
        QVERIFY(next > 40); // the savers did save
        qInfo("%d saves, %d kills after a save had replaced the file", next, killedMidway);
    }

    void twoCopiesSavingAtOnceKeepEveryEntry()
    {
        for (int round = 0; round < 8; ++round) {
            QTemporaryDir dir;
            const QString path = scores::scorePath(dir.path());
            QProcess first, second;
            // Five entries each, eleven lines at most: the merge keeps them all.
            first.start(QStringLiteral(SCORESAVER),
                        {QStringLiteral("save"), dir.path(), QStringLiteral("a"),
                         QStringLiteral("10"), QStringLiteral("5")});
            second.start(QStringLiteral(SCORESAVER),
                         {QStringLiteral("save"), dir.path(), QStringLiteral("b"),
                          QStringLiteral("20"), QStringLiteral("5")});
            QVERIFY(first.waitForFinished(30000) && second.waitForFinished(30000));
            QCOMPARE(first.exitCode(), 0);
            QCOMPARE(second.exitCode(), 0);
            QStringList expected;
            for (int i = 24; i >= 20; --i)
                expected << scores::scoreLine(i, QStringLiteral("b%1").arg(i));
            for (int i = 14; i >= 10; --i)
                expected << scores::scoreLine(i, QStringLiteral("a%1").arg(i));
            QCOMPARE(fileLines(path), expected);
        }
    }
};

GZ_TEST_MAIN(EntryTest)
#include "tst_entry.moc"
