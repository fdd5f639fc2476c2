#include "support/formfixture.h"
#include "support/scorefiles.h"
#include "support/testmain.h"

#include "span/history.h"
#include "span/procedure.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace
{

// "+" a trial repeated in full, "-" one failed.
QList<bool> outcomes(const QString& text)
{
    QList<bool> list;
    for (const QChar c : text)
        list << (c == QLatin1Char('+'));
    return list;
}

// A file or folder only its owner may use.
bool ownersOnly(const QString& path)
{
    return (QFileInfo(path).permissions() & 0x00FF) == 0;
}

// A whole span test, as a player makes it: "Spanne messen" and the speed chosen, Start, and each
// trial answered right ("+") or with a wrong first press ("-"), the pause between two ended by its
// own tick. Returns the lines shown between the trials.
QStringList playSpanTest(FormFixture& f, QAction* speed, const QString& made)
{
    Form1& w = *f.form;
    speed->trigger();
    w.spanne->trigger();
    QStringList between;
    w.Command1->click();
    for (const bool right : outcomes(made)) {
        QList<int> colours;
        for (int k = 0; k < w.targetcount; ++k)
            colours << 1 + (k * 3 + w.targetcount) % 4;
        f.platform.randoms = randomsFor(colours);
        f.flash();
        f.answer(right ? colours : QList<int>{colours[0] % 4 + 1});
        if (w.Timer3->isActive()) {
            between << w.Label7->text();
            w.Timer3_Timer();
        }
    }
    return between;
}

std::string local(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

span::Test test(std::int64_t day, span::Speed speed, int spanned)
{
    span::Test t;
    t.when = {(20000 + day) * 1440 + 15 * 60, 60};
    t.speed = speed;
    t.span = spanned;
    t.trials = {{3, true}};
    return t;
}

} // namespace

class SpanTest : public QObject
{
    Q_OBJECT
private slots:
    // The rule: from three colours, one more after a trial repeated in full, a second trial
    // after a failed one, the end after two failed trials of one length. The trials a player
    // makes, the lengths presented, and the span.
    void procedure_data()
    {
        QTest::addColumn<QString>("made");
        QTest::addColumn<QList<int>>("lengths");
        QTest::addColumn<int>("span");
        QTest::newRow("right to 7, then two failures")
            << "+++++--" << QList<int>{3, 4, 5, 6, 7, 8, 8} << 7;
        QTest::newRow("a second trial repeated in full")
            << "++-+--" << QList<int>{3, 4, 5, 5, 6, 6} << 5;
        QTest::newRow("a failure at every length, then two")
            << "+-+-+--" << QList<int>{3, 4, 4, 5, 5, 6, 6} << 5;
        QTest::newRow("below three") << "--" << QList<int>{3, 3} << 0;
        QTest::newRow("failures at different lengths do not end it")
            << "-+-+-+--" << QList<int>{3, 3, 4, 4, 5, 5, 6, 6} << 5;
        QTest::newRow("as far as a round goes")
            << QString(span::longestLength - 2, QLatin1Char('+')) << QList<int>{} << 500;
    }
    void procedure()
    {
        QFETCH(QString, made);
        QFETCH(QList<int>, lengths);
        QFETCH(int, span);
        span::Procedure p;
        QList<int> presented;
        for (const bool right : outcomes(made)) {
            QVERIFY(!p.finished());
            presented << p.length();
            p.record(right);
        }
        QVERIFY(p.finished());
        if (!lengths.isEmpty())
            QCOMPARE(presented, lengths);
        QCOMPARE(p.span(), span);
        QCOMPARE(qsizetype(p.trials().size()), made.size());
    }

    // The history's lines: the game's own, and what else a file may hold, read or passed over.
    void historyLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("read"); // the line as the game writes it; empty: unreadable
        const QString own =
            QStringLiteral("2026-12-09T15:44+01:00 schnell 7 3+,4+,5-,5+,6+,7+,8-,8-");
        QTest::newRow("the game's own") << own.toUtf8() << own;
        QTest::newRow("with CR LF") << (own + QStringLiteral("\r")).toUtf8() << own;
        QTest::newRow("below three, west of UTC")
            << QByteArray("2026-01-31T23:59-05:30 langsam 0 3-,3-")
            << "2026-01-31T23:59-05:30 langsam 0 3-,3-";
        QTest::newRow("seconds and Z") << QByteArray("2026-12-09T15:44:59Z mittel 4 3+,4+,5-,5-")
                                       << "2026-12-09T15:44+00:00 mittel 4 3+,4+,5-,5-";
        QTest::newRow("a later version's fields")
            << (own + QStringLiteral(" rückwärts 42")).toUtf8() << own;
        QTest::newRow("a leap day") << QByteArray("2028-02-29T08:00+01:00 mittel 3 3+,4-,4-")
                                    << "2028-02-29T08:00+01:00 mittel 3 3+,4-,4-";
        for (const char* damaged :
             {"", "   ", "2026-02-29T08:00+01:00 mittel 3 3+,4-,4-",
              "2026-12-09T24:00+01:00 mittel 3 3+", "2026-12-09 15:44+01:00 mittel 3 3+",
              "2026-12-09T15:44 mittel 3 3+", "2026-12-09T15:44+01:00 flott 3 3+",
              "2026-12-09T15:44+01:00 mittel 501 3+", "2026-12-09T15:44+01:00 mittel -1 3+",
              "2026-12-09T15:44+01:00 mittel 3", "2026-12-09T15:44+01:00 mittel 3 3+,",
              "2026-12-09T15:44+01:00 mittel 3 3*", "2026-12-09T15:44+01:00 mittel 3 0+",
              "2026-12-09T15:44+01:00 mittel 3 501+", " 7  Punkte f\xfcr  Gast",
              "\xff\xfe\x00garbage"})
            QTest::newRow(damaged) << QByteArray(damaged) << "";
    }
    void historyLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, read);
        const auto test =
            span::parseLine(std::string_view(line.constData(), std::size_t(line.size())));
        QCOMPARE(test.has_value(), !read.isEmpty());
        if (test)
            QCOMPARE(QString::fromStdString(span::lineOf(*test)), read);
    }

    // The course comes from the file's end: the last tests that can be read, oldest first, across
    // the reader's chunks, whatever else the file holds.
    void course_data()
    {
        QTest::addColumn<int>("tests");
        QTest::addColumn<QByteArray>("between"); // after each test line
        QTest::addColumn<bool>("lastEnds");      // the last line has its line end
        QTest::addColumn<int>("most");
        QTest::newRow("none") << 0 << QByteArray() << true << 500;
        QTest::newRow("three") << 3 << QByteArray() << true << 500;
        QTest::newRow("the last without its line end") << 3 << QByteArray() << false << 500;
        QTest::newRow("2,000 among damaged lines, the last 500")
            << 2000 << QByteArray("kaputt\n\n\r\n") << true << 500;
        QTest::newRow("a line longer than any test between") << 40 << QByteArray(100000, 'x') + '\n'
                                                             << true << 500;
        QTest::newRow("fewer than asked for") << 40 << QByteArray("xx\n") << true << 500;
    }
    void course()
    {
        QFETCH(int, tests);
        QFETCH(QByteArray, between);
        QFETCH(bool, lastEnds);
        QFETCH(int, most);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("spanne.txt"));
        QByteArray bytes;
        std::vector<span::Test> written;
        for (int i = 0; i < tests; ++i) {
            written.push_back(test(i, span::Speed(i % 3), 3 + i % 7));
            bytes += QByteArray::fromStdString(span::lineOf(written.back())) + '\n' + between;
        }
        if (!lastEnds && bytes.endsWith('\n'))
            bytes.chop(1);
        writeBytes(path, bytes);
        const span::Course course = span::readCourse(local(path), std::size_t(most));
        QCOMPARE(course.read, span::Course::Read::Ok);
        const std::size_t kept = std::min<std::size_t>(written.size(), std::size_t(most));
        QCOMPARE(course.tests.size(), kept);
        QVERIFY(std::equal(course.tests.begin(), course.tests.end(), written.end() - long(kept)));
        QCOMPARE(course.more, written.size() > kept);
    }

    // Nothing to read, or a file no history reaches: said so, with no tests.
    void courseNotRead()
    {
        QTemporaryDir dir;
        QCOMPARE(span::readCourse(local(dir.filePath(QStringLiteral("none")))).read,
                 span::Course::Read::Missing);
        const QString big = dir.filePath(QStringLiteral("big"));
        writeOversizedFile(big);
        QCOMPARE(span::readCourse(local(big)).read, span::Course::Read::TooLarge);
    }

    // A test is added as the last line: the folders made for the player alone, as is a new file;
    // old lines kept byte for byte, damaged ones too, and a last line without its end ended.
    // Where the folder cannot be made, the old file stays.
    void addTest_data()
    {
        QTest::addColumn<QByteArray>("old"); // "-" no file
        QTest::newRow("no file, no folder") << QByteArray("-");
        QTest::newRow("an empty file") << QByteArray();
        QTest::newRow("damaged lines") << QByteArray("\xff\xfe kaputt\r\n\n2026-12-09T15:44 x\n");
        QTest::newRow("the last line without its end") << QByteArray("kaputt");
    }
    void addTest()
    {
        QFETCH(QByteArray, old);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("share/graue-zellen"));
        const QString path = folder + QStringLiteral("/spanne.txt");
        if (old != "-") {
            QVERIFY(QDir().mkpath(folder));
            writeBytes(path, old);
        }
        const span::Test t = test(1, span::Speed::Fast, 6);
        QCOMPARE(span::addTest(local(path), t), bestlist::SaveOutcome::Saved);
        QByteArray expected = old == "-" ? QByteArray() : old;
        if (!expected.isEmpty() && !expected.endsWith('\n'))
            expected += '\n';
        QCOMPARE(readBytes(path), expected + QByteArray::fromStdString(span::lineOf(t)) + '\n');
        if (old == "-")
            QVERIFY(ownersOnly(folder) && ownersOnly(path));
        // A file where the folder should be: nothing can be saved, and nothing is changed.
        const QString blocked = dir.filePath(QStringLiteral("blocked"));
        writeBytes(blocked, "kept");
        QCOMPARE(span::addTest(local(blocked + QStringLiteral("/graue-zellen/spanne.txt")), t),
                 bestlist::SaveOutcome::WriteFailed);
        QCOMPARE(readBytes(blocked), QByteArray("kept"));
    }

    // A span test from Start to its panel: the lines between the trials, the span in words with
    // the speed, the figures at that speed among the earlier tests, the course drawn and named,
    // the line added to the player's own history; no name entry and no best.lst. The panel's
    // button leaves the window as at the start.
    void spanTest_data()
    {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("made");
        QTest::addColumn<QStringList>("earlier"); // lines of the history before
        QTest::addColumn<QStringList>("between");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("figures");
        QTest::addColumn<QString>("line");
        QTest::newRow("to a span of 5 at schnell")
            << "schnell"
            << "+++--" << QStringList{}
            << QStringList{"Richtig! Nun 4 Farben.", "Richtig! Nun 5 Farben.",
                           "Richtig! Nun 6 Farben.",
                           "Leider falsch. Noch ein Versuch mit 6 Farben."}
            << "Ihre Gedächtnisspanne: 5 Farben bei schneller Geschwindigkeit"
            << "Ihr erster Test bei dieser Geschwindigkeit."
            << "2026-12-09T15:44+01:00 schnell 5 3+,4+,5+,6-,6-";
        QTest::newRow("below three")
            << "mittel"
            << "--" << QStringList{} << QStringList{"Leider falsch. Noch ein Versuch mit 3 Farben."}
            << "Ihre Gedächtnisspanne: weniger als 3 Farben bei mittlerer Geschwindigkeit"
            << "Ihr erster Test bei dieser Geschwindigkeit."
            << "2026-12-09T15:44+01:00 mittel 0 3-,3-";
        QTest::newRow("after earlier tests, a damaged line among them")
            << "langsam"
            << "-+--"
            << QStringList{"2026-11-01T09:00+01:00 langsam 4 3+,4+,5-,5-",
                           "2026-11-02T09:00+01:00 langsam 8 3+,4+,5+,6+,7+,8+,9-,9-",
                           "kaputt",
                           "2026-11-03T09:00+01:00 schnell 9 3+,4+,5+,6+,7+,8+,9+,10-,10-",
                           "2026-11-04T09:00+01:00 langsam 5 3+,4+,5+,6-,6-",
                           "2026-11-05T09:00+01:00 langsam 6 3+,4+,5+,6+,7-,7-",
                           "2026-11-06T09:00+01:00 langsam 7 3+,4+,5+,6+,7+,8-,8-"}
            << QStringList{"Leider falsch. Noch ein Versuch mit 3 Farben.",
                           "Richtig! Nun 4 Farben.",
                           "Leider falsch. Noch ein Versuch mit 4 Farben."}
            << "Ihre Gedächtnisspanne: 3 Farben bei langsamer Geschwindigkeit"
            << "Ihre beste Spanne bei dieser Geschwindigkeit: 8 Farben. Mittel der letzten 5 "
               "Tests: "
               "5,8 Farben."
            << "2026-12-09T15:44+01:00 langsam 3 3-,3+,4-,4-";
    }
    void spanTest()
    {
        QFETCH(QString, speed);
        QFETCH(QString, made);
        QFETCH(QStringList, earlier);
        QFETCH(QStringList, between);
        QFETCH(QString, result);
        QFETCH(QString, figures);
        QFETCH(QString, line);
        FormFixture f;
        Form1& w = *f.form;
        if (!earlier.isEmpty()) {
            QVERIFY(QDir().mkpath(f.platform.dataFolder));
            writeBytes(f.historyPath(), earlier.join(QLatin1Char('\n')).toUtf8() + '\n');
        }
        QCOMPARE(playSpanTest(f, w.findChild<QAction*>(speed), made), between);
        QVERIFY(!w.Frame5->isHidden());
        QCOMPARE(w.Label8->text(), result);
        QCOMPARE(w.Label9->text(), figures);
        QCOMPARE(readBytes(f.historyPath()),
                 (earlier + QStringList{line}).join(QLatin1Char('\n')).toUtf8() + '\n');
        QCOMPARE(w.Chart1->tests().size(),
                 std::size_t(earlier.size()) + (earlier.isEmpty() ? 1 : 0));
        QVERIFY(w.Chart1->accessibleName().startsWith(
            QStringLiteral("Verlauf Ihrer Gedächtnisspanne: ")));
        QCOMPARE(w.Chart1->accessibleDescription(), figures);
        QVERIFY(f.platform.boxes.isEmpty());
        QVERIFY(w.Frame3->isHidden() && w.Frame1->isHidden());
        QVERIFY(!QFile::exists(f.scorePath()));
        QVERIFY(w.egeschw->menuAction()->isEnabled() && w.anz->menuAction()->isEnabled());
        w.Command1_Click(); // under the panel: no round starts
        QVERIFY(!w.Timer1->isActive());
        w.Command12->click();
        QVERIFY(w.Frame5->isHidden() && !w.Command1->isHidden() && w.Command2->isHidden());
        QVERIFY(w.Command3->isHidden() && w.Label7->isHidden() && w.Label4->isHidden());
        QCOMPARE(w.Label1->text(), QStringLiteral(" Einstellung:  Spanne messen bei %1 "
                                                  "Geschwindigkeit.")
                                       .arg(w.speedword));
    }

    // Abbrechen ends a test at any time, and a cancelled test counts for nothing: no line, no
    // panel; the next Start begins at three colours. The speed and the length cannot be changed
    // while a test runs, since its figure would mix two.
    void spanTestCancelled_data()
    {
        QTest::addColumn<QString>("made");
        QTest::newRow("during the first presentation") << "";
        QTest::newRow("during the pause") << "+";
        QTest::newRow("during the answer") << "+-";
    }
    void spanTestCancelled()
    {
        QFETCH(QString, made);
        FormFixture f;
        Form1& w = *f.form;
        w.spanne->trigger();
        w.Command1->click();
        QVERIFY(!w.egeschw->menuAction()->isEnabled() && !w.anz->menuAction()->isEnabled());
        for (const bool right : outcomes(made)) {
            QList<int> colours(w.targetcount, 2);
            f.platform.randoms = randomsFor(colours);
            if (w.Timer3->isActive())
                w.Timer3_Timer();
            f.flash();
            if (right)
                f.answer(colours);
        }
        w.Command2->click();
        QVERIFY(!w.Timer1->isActive() && !w.Timer2->isActive() && !w.Timer3->isActive());
        QVERIFY(w.Label7->isHidden() && w.Frame5->isHidden() && !w.Command1->isHidden());
        QVERIFY(w.egeschw->menuAction()->isEnabled() && w.anz->menuAction()->isEnabled());
        QVERIFY(!QFile::exists(f.platform.dataFolder));
        w.Command1->click();
        QCOMPARE(w.targetcount, span::firstLength);
    }

    // Where the history cannot be written, the result is still shown, with this test in the
    // course, and the player is told once; the folder in the way stays as it was.
    void spanTestNotSaved()
    {
        FormFixture f;
        Form1& w = *f.form;
        writeBytes(f.dir.filePath(QStringLiteral("data")), "kept");
        playSpanTest(f, w.mittel, "--");
        QVERIFY(!w.Frame5->isHidden());
        QCOMPARE(w.Chart1->tests().size(), std::size_t(1));
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes[0].title, QStringLiteral("Spanne messen"));
        QCOMPARE(f.platform.boxes[0].text,
                 QStringLiteral("Ihr Verlauf konnte nicht gespeichert werden:\n") +
                     f.historyPath() +
                     QStringLiteral("\n\nDieser Test wurde nicht gespeichert; die Datei bleibt, "
                                    "wie sie war."));
        QCOMPARE(readBytes(f.dir.filePath(QStringLiteral("data"))), QByteArray("kept"));
    }

    // By keyboard: Space starts, the digits answer, Return closes the panel, whose button has
    // the focus.
    void spanTestByKeyboard()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.spanne->trigger();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QTRY_VERIFY(w.isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), w.Command1);
        for (int trial = 0; trial < 2; ++trial) {
            f.platform.randoms = randomsFor(QList<int>(w.targetcount, 4));
            if (trial == 0)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            else
                w.Timer3_Timer();
            f.flash();
            QTest::keyClick(&w, Qt::Key_1);
        }
        QVERIFY(!w.Frame5->isHidden());
        QCOMPARE(QApplication::focusWidget(), w.Command12);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(w.Frame5->isHidden());
        QCOMPARE(QApplication::focusWidget(), w.Command1);
    }
};

GZ_TEST_MAIN(SpanTest)
#include "tst_span.moc"
