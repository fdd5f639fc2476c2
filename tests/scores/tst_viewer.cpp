#include "support/formfixture.h"
#include "support/scorefiles.h"
#include "support/testmain.h"

#include "scores/cp1252.h"
#include "scores/scorefile.h"
#include "scores/scoretext.h"

#include <QListWidget>

using namespace Qt::Literals::StringLiterals;

namespace
{

QStringList items(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
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
        QCOMPARE(f.form->List1->count(), 0);
        QCOMPARE(f.form->linecount, 0);
    }

    void elevenLinesInFileOrderTwice()
    {
        FormFixture f;
        QStringList lines;
        for (int i = 0; i < 11; ++i)
            lines << scores::scoreLine(i * 7 % 11, QStringLiteral("Spieler %1").arg(i));
        QVERIFY(scores::writeLines(f.scorePath(), lines));
        f.form->best_Click();
        f.form->best_Click();
        QCOMPARE(items(f.form->List1), lines);
        QCOMPARE(f.form->linecount, 11);
        QVERIFY(f.form->List1->item(0)->text().startsWith(QLatin1Char(' ')));
        f.form->Command8->click();
        QVERIFY(f.form->Frame2->isHidden());
    }

    void duringARound()
    {
        FormFixture f;
        QVERIFY(scores::writeLines(f.scorePath(), {QStringLiteral(" 3  Punkte für  x")}));
        f.form->Command1_Click();
        f.form->best_Click();
        QVERIFY(!f.form->Frame2->isHidden());
        QVERIFY(f.form->Timer1->isActive());
    }

    void hostileFile()
    {
        FormFixture f;
        QByteArray bytes = QByteArray(2 * 1024 * 1024, 'M') + "\r\n";
        bytes += "a\0b\x81\x8d\x8f\x90\x9d\r\n"_ba;
        for (int i = 0; i < 200000; ++i)
            bytes += QByteArray::number(i % 100) + "  Punkte f\xfcr  x\r\n"_ba;
        writeBytes(f.scorePath(), bytes);
        f.form->best_Click();
        QCOMPARE(f.form->List1->count(), 200002);
        QCOMPARE(f.form->linecount, 200002);
        // Only the display of the huge line is shortened; the file stays as it was.
        QVERIFY(f.form->List1->item(0)->text().size() < 2000);
        QVERIFY(f.form->List1->item(0)->text().startsWith(QStringLiteral("MMMM")));
        QCOMPARE(f.form->List1->item(1)->text(),
                 QStringLiteral("a") + QChar(0) +
                     QStringLiteral("b\u0081\u008d\u008f\u0090\u009d"));
        QFile file(f.scorePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QVERIFY(f.form->List1->uniformItemSizes());
    }

    void unreadableFile()
    {
        FormFixture f;
        writeOversizedFile(f.scorePath());
        f.form->best_Click();
        QCOMPARE(f.platform.boxes.size(), 1);
        QVERIFY(f.platform.boxes[0].text.contains(QStringLiteral("nicht gelesen")));
        QVERIFY(f.form->Frame2->isHidden());
    }

    void pathFollowsTheProgramDirectory()
    {
        FormFixture f;
        QTemporaryDir other;
        QVERIFY(scores::writeLines(scores::scorePath(other.path()),
                                   {QStringLiteral(" 1  Punkte für  b")}));
        QVERIFY(scores::writeLines(f.scorePath(), {QStringLiteral(" 2  Punkte für  a")}));
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
