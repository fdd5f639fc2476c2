// What a screen reader is asked to speak during a round, as the accessibility updates carry it.
#include "support/formfixture.h"
#include "support/scorefiles.h"
#include "support/testmain.h"

#include <QAccessible>
#include <QAccessibleAnnouncementEvent>

namespace
{

// Every announcement since the test began, as "assertive Grün" or "polite <text>".
QStringList announced;

void record(QAccessibleEvent* event)
{
    if (event->type() != QAccessible::Announcement)
        return;
    const auto* announcement = static_cast<QAccessibleAnnouncementEvent*>(event);
    const bool assertive =
        announcement->politeness() == QAccessible::AnnouncementPoliteness::Assertive;
    announced << (assertive ? QStringLiteral("assertive ") : QStringLiteral("polite ")) +
                     announcement->message();
}

const QString turn = QStringLiteral(
    "polite Ich hoffe Sie haben sich alles gemerkt! Nun sind Sie am Zug. Klicken Sie nun in der "
    "richtigen Reihenfolge auf die unteren Farbkasten.");

} // namespace

class AnnounceTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QAccessible::installUpdateHandler(record);
        QAccessible::setActive(true);
    }

    // A round from Start to the name entry: the colours shown, the buttons, the clicks, OK.
    void round_data()
    {
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<QList<int>>("clicked");
        QTest::addColumn<bool>("pressOK");
        QTest::addColumn<QStringList>("expected");
        const QStringList colours = {
            QStringLiteral("assertive Grün"), QStringLiteral("assertive Rot"),
            QStringLiteral("assertive Blau"), QStringLiteral("assertive Gelb")};
        QTest::newRow("colours shown, then the buttons")
            << QList<int>{1, 2, 3, 4, 4} << QList<int>{} << false
            << colours + QStringList{QStringLiteral("assertive Gelb"), turn};
        QTest::newRow("right clicks: the progress line is not announced")
            << QList<int>{3, 1} << QList<int>{3} << false
            << QStringList{colours[2], colours[0], turn};
        QTest::newRow("a mistake")
            << QList<int>{2, 4} << QList<int>{2, 1} << false
            << QStringList{colours[1], colours[3], turn,
                           QStringLiteral("polite Das war leider ein Fehler, aber Sie haben  1 "
                                          "richtig")};
        QTest::newRow("a perfect round")
            << QList<int>{1, 3} << QList<int>{1, 3} << false
            << QStringList{colours[0], colours[2], turn,
                           QStringLiteral("polite Super, Sie haben alles behalten!")};
        QTest::newRow("the name entry")
            << QList<int>{4} << QList<int>{1} << true
            << QStringList{colours[3], turn,
                           QStringLiteral("polite Das war leider ein Fehler, aber Sie haben  0 "
                                          "richtig"),
                           QStringLiteral("polite Sie haben eines der besten 10 Ergebnisse "
                                          "erreicht")};
    }
    void round()
    {
        QFETCH(QList<int>, shown);
        QFETCH(QList<int>, clicked);
        QFETCH(bool, pressOK);
        QFETCH(QStringList, expected);
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.form->targetcount = int(shown.size());
        announced.clear();
        // The black square between two colours and after the last one says nothing.
        f.present(shown);
        QVERIFY(!f.form->Shape9->accessibleName().isEmpty());
        f.answer(clicked);
        if (pressOK)
            f.form->Command7->click();
        QCOMPARE(announced, expected);
    }

    // A span test: the line between two trials, and the result with its figures.
    void spanTest()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.spanne->trigger();
        announced.clear();
        w.Command1->click();
        for (int trial = 0; trial < 2; ++trial) {
            if (trial > 0)
                w.Timer3_Timer();
            f.platform.randoms = randomsFor({1, 1, 1});
            f.flash();
            f.answer({2});
        }
        QVERIFY(announced.contains(
            QStringLiteral("polite Leider falsch. Noch ein Versuch mit 3 Farben.")));
        QCOMPARE(announced.last(),
                 QStringLiteral("polite Ihre Gedächtnisspanne: weniger als 3 Farben bei mittlerer "
                                "Geschwindigkeit. Ihr erster Test bei dieser Geschwindigkeit."));
    }
};

GZ_TEST_MAIN(AnnounceTest)
#include "tst_announce.moc"
