#include "support/formfixture.h"
#include "support/scorefiles.h"
#include "support/testmain.h"

#include "scores/scorelist.h"

#include <QAccessible>

using namespace Qt::Literals::StringLiterals;

namespace
{

QStringList items(const QListView* list)
{
    QStringList texts;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        texts << list->model()->index(row, 0).data().toString();
    return texts;
}

} // namespace

class ViewerTest : public QObject
{
    Q_OBJECT
private slots:
    void noFile()
    {
        FormFixture f;
        f.form->best->trigger();
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes[0].text,
                 QStringLiteral("Es ist leider noch kein Eintrag vorhanden"));
        QCOMPARE(f.platform.boxes[0].title, QStringLiteral("Na sowas"));
        QCOMPARE(f.platform.boxes[0].buttons, Platform::Buttons::Ok);
        QCOMPARE(f.platform.boxes[0].icon, Platform::Icon::Exclamation);
        QVERIFY(f.form->Frame2->isHidden());
    }

    void noFileLeavesAnOpenViewerAsItWas()
    {
        FormFixture f;
        writeBytes(f.scorePath(), " 7  Punkte f\xfcr  Gast\r\n"_ba);
        f.form->best_Click();
        QVERIFY(QFile::remove(f.scorePath()));
        f.form->best_Click();
        QVERIFY(!f.form->Frame2->isHidden());
        QCOMPARE(items(f.form->List1), QStringList{QStringLiteral(" 7  Punkte für  Gast")});
    }

    void emptyFile()
    {
        FormFixture f;
        writeBytes(f.scorePath(), {});
        f.form->best_Click();
        QVERIFY(f.platform.boxes.isEmpty());
        QVERIFY(!f.form->Frame2->isHidden());
        QCOMPARE(f.form->List1->model()->rowCount(), 0);
        QCOMPARE(f.form->linecount, 0);
    }

    void elevenLinesInFileOrderTwice()
    {
        FormFixture f;
        QStringList lines;
        for (int i = 0; i < 11; ++i)
            lines << scores::scoreLine(i * 7 % 11, QStringLiteral("Spieler %1").arg(i));
        writeLines(f.scorePath(), lines);
        f.form->best_Click();
        f.form->best_Click();
        QCOMPARE(items(f.form->List1), lines);
        QCOMPARE(f.form->linecount, 11);
        // Screen readers see the list and each of its lines.
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(f.form->List1);
        QVERIFY(list);
        QCOMPARE(list->role(), QAccessible::List);
        QCOMPARE(list->childCount(), 11);
        QCOMPARE(list->child(10)->text(QAccessible::Name), lines[10]);
        f.form->Command8->click();
        QVERIFY(f.form->Frame2->isHidden());
    }

    // Saves into a shared list while the viewer is open swap the list with its spare, and the one
    // after next rewrites the file that the viewer opened: the viewer shows what it opened.
    void openViewerKeepsItsListWhileOthersSave()
    {
        FormFixture f;
        const QStringList lines = linesScoring({9, 5});
        makeSharedList(f.scorePath(), lines);
        f.form->best_Click();
        for (const int score : {7, 3, 1})
            QCOMPARE(scores::saveEntry(f.scorePath(), score, QStringLiteral("Eva")),
                     scores::SaveOutcome::Saved);
        QCOMPARE(items(f.form->List1), lines);
        QCOMPARE(fileLines(f.scorePath()).size(), 5);
    }

    void duringARound()
    {
        FormFixture f;
        writeLines(f.scorePath(), {QStringLiteral(" 3  Punkte für  x")});
        f.form->Command1_Click();
        f.form->best_Click();
        QVERIFY(!f.form->Frame2->isHidden());
        QVERIFY(f.form->Timer1->isActive());
    }

    void hostileFile()
    {
        FormFixture f;
        QByteArray bytes = QByteArray(2 * 1024 * 1024, 'M') + "\r\n";
        bytes += QByteArray(1000, 'a') + "\r\n" + QByteArray(1001, 'b') + "\r\n";
        bytes += "a\0b\x81\x8d\x8f\x90\x9d\r\n"_ba;
        writeBytes(f.scorePath(), bytes);
        f.form->best_Click();
        const QString more = QChar(0x2026);
        // Only what is shown is shortened, beyond 1000 characters; the file stays as it was.
        QCOMPARE(
            items(f.form->List1),
            (QStringList{QString(1000, QLatin1Char('M')) + more, QString(1000, QLatin1Char('a')),
                         QString(1000, QLatin1Char('b')) + more,
                         QStringLiteral("a") + QChar(0) +
                             QStringLiteral("b\u0081\u008d\u008f\u0090\u009d")}));
        QCOMPARE(readBytes(f.scorePath()), bytes);
        QVERIFY(f.form->List1->uniformItemSizes());
    }

    // A list of as many lines as the viewer shows opens with its first and its last line; one
    // line more is refused with a message, and the viewer stays as it was.
    void limit_data()
    {
        QTest::addColumn<int>("lines");
        QTest::newRow("at the limit") << scores::ScoreList::limit;
        QTest::newRow("one more") << scores::ScoreList::limit + 1;
    }
    void limit()
    {
        QFETCH(int, lines);
        FormFixture f;
        QByteArray bytes = "erste\r"_ba;
        bytes += QByteArray(lines - 2, '\r');
        bytes += "letzte";
        writeBytes(f.scorePath(), bytes);
        f.form->best_Click();
        if (lines <= scores::ScoreList::limit) {
            QVERIFY(f.platform.boxes.isEmpty());
            QVERIFY(!f.form->Frame2->isHidden());
            QCOMPARE(f.form->linecount, lines);
            const QAbstractItemModel* model = f.form->List1->model();
            QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("erste"));
            QCOMPARE(model->index(lines - 1, 0).data().toString(), QStringLiteral("letzte"));
        } else {
            QCOMPARE(f.platform.boxes.size(), 1);
            QCOMPARE(f.platform.boxes[0].title, QStringLiteral("Bestenliste"));
            QCOMPARE(f.platform.boxes[0].text,
                     QStringLiteral("Die Bestenliste ist zu lang, um angezeigt zu werden:\n") +
                         f.scorePath() +
                         QStringLiteral("\n\nAngezeigt werden höchstens 1.000.000 Zeilen."));
            QVERIFY(f.form->Frame2->isHidden());
            QCOMPARE(f.form->List1->model()->rowCount(), 0);
        }
    }

    void pathFollowsTheProgramDirectory()
    {
        FormFixture f;
        QTemporaryDir other;
        writeLines(scores::scorePath(other.path()), {QStringLiteral(" 1  Punkte für  b")});
        writeLines(f.scorePath(), {QStringLiteral(" 2  Punkte für  a")});
        f.form->best_Click();
        QCOMPARE(items(f.form->List1), QStringList{QStringLiteral(" 2  Punkte für  a")});
        f.platform.directory = other.path(); // asked anew at every access
        f.form->best_Click();
        QCOMPARE(items(f.form->List1), QStringList{QStringLiteral(" 1  Punkte für  b")});
        // Never the working directory.
        QVERIFY(QDir::setCurrent(f.dir.path()));
        f.form->best_Click();
        QCOMPARE(items(f.form->List1), QStringList{QStringLiteral(" 1  Punkte für  b")});
    }
};

GZ_TEST_MAIN(ViewerTest)
#include "tst_viewer.moc"
