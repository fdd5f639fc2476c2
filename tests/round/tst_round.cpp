#include "support/formfixture.h"
#include "support/testmain.h"

#include "round/colourdraw.h"

#include <cmath>
#include <limits>

namespace
{

// Which of the five squares can be seen: the black one covers the others.
QString visibleSquare(Form1& w)
{
    if (!w.Shape9->isHidden())
        return QStringLiteral("black");
    const std::pair<QFrame*, const char*> squares[] = {
        {w.Shape1, "green"}, {w.Shape2, "red"}, {w.Shape3, "blue"}, {w.Shape4, "yellow"}};
    QString shown;
    for (const auto& [square, name] : squares) {
        if (!square->isHidden())
            shown += QLatin1String(name);
    }
    return shown.isEmpty() ? QStringLiteral("none") : shown;
}

bool buttonsShown(Form1& w)
{
    return !w.Command3->isHidden() && !w.Command4->isHidden() && !w.Command5->isHidden() &&
           !w.Command6->isHidden();
}

const QString praise = QStringLiteral("Super, Sie haben alles behalten!");

} // namespace

class RoundTest : public QObject
{
    Q_OBJECT
private slots:
    void colourDraw_data()
    {
        QTest::addColumn<float>("r");
        QTest::addColumn<int>("colour");
        const float below = std::nextafter(0.25f, 0.0f);
        QTest::newRow("0") << 0.0f << 1;
        QTest::newRow("just under 0.25") << below << 1;
        QTest::newRow("0.25") << 0.25f << 2;
        QTest::newRow("just under 0.5") << std::nextafter(0.5f, 0.0f) << 2;
        QTest::newRow("0.5") << 0.5f << 3;
        QTest::newRow("just under 0.75") << std::nextafter(0.75f, 0.0f) << 3;
        QTest::newRow("0.75") << 0.75f << 4;
        QTest::newRow("just under 1") << std::nextafter(1.0f, 0.0f) << 4;
        QTest::newRow("1 (out of range)") << 1.0f << 4;
        QTest::newRow("negative (out of range)") << -0.5f << 1;
        QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN() << 1;
    }
    void colourDraw()
    {
        QFETCH(float, r);
        QFETCH(int, colour);
        QCOMPARE(sequence::colourFor(r), colour);
    }

    void startAndCancelWithinTheFirstGap()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.Command1->click();
        QVERIFY(w.Command1->isHidden());
        QVERIFY(!w.Command2->isHidden());
        QVERIFY(w.Timer1->isActive());
        QVERIFY(!w.Timer2->isActive());
        QCOMPARE(w.Timer1->interval(), 750);
        QCOMPARE(w.showncount, 0);
        w.Command2->click();
        QVERIFY(!w.Command1->isHidden());
        QVERIFY(w.Command2->isHidden());
        QVERIFY(!w.Timer1->isActive());
        QVERIFY(!w.Timer2->isActive());
        QCOMPARE(w.showncount, 0);
        QCOMPARE(visibleSquare(w), QStringLiteral("none"));
    }

    void cancelWhileAColourIsShown()
    {
        FormFixture f;
        Form1& w = *f.form;
        f.platform.randoms = randomsFor({3, 3});
        w.Command1_Click();
        w.Timer1_Timer();
        QCOMPARE(visibleSquare(w), QStringLiteral("blue"));
        w.Command2_Click();
        QCOMPARE(visibleSquare(w), QStringLiteral("none"));
        QVERIFY(!w.Timer1->isActive());
        QVERIFY(!w.Timer2->isActive());
        QVERIFY(!buttonsShown(w));
        QVERIFY(w.Label4->isHidden());
    }

    void presentationOrder()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.es10->trigger();
        w.es5->trigger();
        f.platform.randoms = randomsFor({2, 2, 4, 1, 3, 1});
        w.Command1_Click();
        QStringList seen;
        const QStringList expected = {"red",   "black", "red",   "black", "yellow",
                                      "black", "green", "black", "blue",  "black"};
        for (int k = 1; k <= 5; ++k) {
            QVERIFY(w.Timer1->isActive() && !w.Timer2->isActive());
            w.Timer1_Timer();
            QCOMPARE(w.showncount, k);
            seen << visibleSquare(w);
            QVERIFY(!w.Timer1->isActive() && w.Timer2->isActive());
            w.Timer2_Timer();
            seen << visibleSquare(w);
            QVERIFY(buttonsShown(w) == false);
        }
        QCOMPARE(seen, expected);
        // The tick after the last colour's gap ends the presentation without drawing.
        w.Timer1_Timer();
        QCOMPARE(f.platform.randoms.size(), size_t(1));
        QCOMPARE(visibleSquare(w), QStringLiteral("none"));
        QVERIFY(!w.Timer1->isActive() && !w.Timer2->isActive());
        QVERIFY(buttonsShown(w));
        QVERIFY(!w.Label4->isHidden());
        QCOMPARE(w.clickcount, qint16(0));
        QCOMPARE(std::vector<qint16>(w.shownseq.begin() + 1, w.shownseq.begin() + 6),
                 (std::vector<qint16>{2, 2, 4, 1, 3}));
    }

    // Each row: the colours shown, the clicks, and what the round ends with.
    void judging_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("label2");
        QTest::addColumn<int>("score");
        QTest::addColumn<QString>("progress");
        QTest::newRow("right, right, wrong")
            << 5 << QList<int>{1, 2, 3, 4, 1} << QList<int>{1, 2, 4}
            << QStringLiteral("Das war leider ein Fehler, aber Sie haben  2 richtig") << 2
            << QStringLiteral(" 2 von 5 richtig");
        QTest::newRow("wrong first click")
            << 5 << QList<int>{1, 2, 3, 4, 1} << QList<int>{3}
            << QStringLiteral("Das war leider ein Fehler, aber Sie haben  0 richtig") << 0
            << QStringLiteral("Label3");
        QTest::newRow("complete") << 5 << QList<int>{4, 4, 3, 2, 1} << QList<int>{4, 4, 3, 2, 1}
                                  << praise << 5 << QStringLiteral(" 5 von 5 richtig");
        QTest::newRow("length 1 right") << 1 << QList<int>{2} << QList<int>{2} << praise << 1
                                        << QStringLiteral(" 1 von 1 richtig");
        QTest::newRow("length 1 wrong")
            << 1 << QList<int>{2} << QList<int>{1}
            << QStringLiteral("Das war leider ein Fehler, aber Sie haben  0 richtig") << 0
            << QStringLiteral("Label3");
    }
    void judging()
    {
        QFETCH(int, length);
        QFETCH(QList<int>, shown);
        QFETCH(QList<int>, clicks);
        QFETCH(QString, label2);
        QFETCH(int, score);
        QFETCH(QString, progress);
        FormFixture f;
        Form1& w = *f.form;
        w.targetcount = length;
        f.present(shown);
        QPushButton* const buttons[] = {w.Command3, w.Command4, w.Command5, w.Command6};
        for (const int c : clicks) {
            QVERIFY(w.Frame1->isHidden());
            buttons[c - 1]->click();
        }
        QVERIFY(!w.Frame1->isHidden());
        QCOMPARE(w.Label2->text(), label2);
        QVERIFY(w.Label3->isHidden());
        QCOMPARE(w.Label3->text(), progress);
        QCOMPARE(w.clickcount - 1, score);
        if (label2 == praise)
            QCOMPARE(int(w.clickcount), length + 1);
        // OK puts the window back to idle.
        w.Command7->click();
        QVERIFY(w.Frame1->isHidden());
        QVERIFY(!buttonsShown(w));
        QVERIFY(!w.Command1->isHidden());
        QVERIFY(w.Command2->isHidden());
        QVERIFY(w.Label4->isHidden());
    }

    void progressLine()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.targetcount = 12;
        f.present({1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4});
        f.answer({1, 2});
        QCOMPARE(w.Label3->text(), QStringLiteral(" 2 von 12 richtig"));
        QVERIFY(!w.Label3->isHidden());
        f.answer({3});
        QCOMPARE(w.Label3->text(), QStringLiteral(" 3 von 12 richtig"));
        f.answer({4, 1, 2, 3, 4, 1, 2, 3});
        QVERIFY(w.Frame1->isHidden());
        f.answer({4});
        QCOMPARE(w.Label2->text(), praise);
    }

    void leftoversOfALongerRoundAreNotJudged()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.targetcount = 4;
        f.present({1, 1, 1, 1});
        w.Command2_Click();
        w.targetcount = 2;
        f.present({2, 3});
        QCOMPARE(w.shownseq[3], qint16(1)); // kept from the longer round
        f.answer({2, 3});
        QCOMPARE(w.Label2->text(), praise);
        QCOMPARE(w.clickcount - 1, 2);
    }

    void clicksAfterTheResultChangeNothing()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.targetcount = 3;
        f.present({1, 2, 3});
        f.answer({1, 4});
        const QString message = w.Label2->text();
        f.answer({2, 3, 1});
        QCOMPARE(w.clickcount - 1, 1);
        QCOMPARE(w.Label2->text(), message);
        QVERIFY(w.Label3->isHidden());

        FormFixture g;
        g.form->targetcount = 2;
        g.present({1, 2});
        g.answer({1, 2, 1, 1});
        QCOMPARE(g.form->clickcount - 1, 2);
        QCOMPARE(g.form->Label2->text(), praise);
        QVERIFY(g.form->Label3->isHidden());
    }

    void lengthLoweredDuringThePresentation()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.es10_Click();
        f.platform.randoms = randomsFor({1, 2, 3, 4, 1, 2, 3, 4, 1, 2});
        w.Command1_Click();
        for (int k = 0; k < 4; ++k) {
            w.Timer1_Timer();
            w.Timer2_Timer();
        }
        f.platform.inputs = {QStringLiteral("2")}; // below the four colours already shown
        w.selbst_Click();
        QCOMPARE(w.targetcount, 2);
        w.Timer1_Timer();
        QVERIFY(buttonsShown(w));
        QVERIFY(!w.Timer1->isActive() && !w.Timer2->isActive());
        QCOMPARE(w.showncount, 5);
        // Judged on the new length, within what was shown.
        f.answer({1, 2});
        QCOMPARE(w.Label2->text(), praise);
        QCOMPARE(w.clickcount - 1, 2);
    }

    void presentationNeverPassesPosition500()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.targetcount = 500;
        w.Command1_Click();
        for (int k = 0; k < 499; ++k) {
            w.Timer1_Timer();
            w.Timer2_Timer();
        }
        w.targetcount = 100000; // whatever the length says, 500 is the last position
        int ticks = 0;
        while ((w.Timer1->isActive() || w.Timer2->isActive()) && ++ticks < 10)
            w.Timer1->isActive() ? w.Timer1_Timer() : w.Timer2_Timer();
        QCOMPARE(w.showncount, 501);
        QVERIFY(buttonsShown(w));
        QCOMPARE(w.showncount - 1, Form1::maxPositions);
    }

    void lengthRaisedDuringTheAnswer()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.targetcount = 3;
        f.present({4, 3, 2});
        f.answer({4});
        w.es50_Click();
        QCOMPARE(w.targetcount, 50);
        f.answer({3});
        // Only the three positions this round showed are judged.
        QCOMPARE(w.Label3->text(), QStringLiteral(" 2 von 3 richtig"));
        f.answer({2});
        QCOMPARE(w.Label2->text(), praise);
        QCOMPARE(w.clickcount - 1, 3);
    }

    void lengthLoweredBelowTheClicksDuringTheAnswer()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.es10_Click();
        f.present({1, 2, 3, 4, 1, 2, 3, 4, 1, 2});
        f.answer({1, 2, 3, 4, 1, 2, 3});
        w.es5_Click();
        QVERIFY(w.Frame1->isHidden());
        // The next right click ends the round: it cannot be left without an end.
        f.answer({4});
        QCOMPARE(w.Label2->text(), praise);
        QCOMPARE(w.clickcount - 1, 8);
    }

    void startDoesNothingWhileAResultIsPending()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.targetcount = 3;
        f.present({1, 2, 3});
        f.answer({1, 2, 4});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Command2_Click(); // cancel with the result panel open
        QVERIFY(!w.Command1->isHidden());
        QVERIFY(!w.Frame1->isHidden());
        // Start lies under the panel; the keyboard still reaches it.
        w.Command1->setFocus();
        QTest::keyClick(w.Command1, Qt::Key_Space);
        QVERIFY(!w.Timer1->isActive());
        QCOMPARE(w.clickcount - 1, 2);
        w.Command7_Click();
        QCOMPARE(w.clickcount - 1, 2);
        QVERIFY(!w.Frame3->isHidden()); // no list yet: the entry is offered
        w.Command1_Click();
        QVERIFY(!w.Timer1->isActive());
        QCOMPARE(w.clickcount - 1, 2);
        w.Command10_Click();
        w.Command1_Click();
        QVERIFY(w.Timer1->isActive());
    }

    void speedChangeDoesNotLengthenTheColourShown()
    {
        FormFixture f;
        Form1& w = *f.form;
        f.platform.randoms = randomsFor({1});
        w.Command1_Click();
        w.Timer1_Timer();
        QVERIFY(w.Timer2->isActive());
        QCOMPARE(w.Timer2->runningInterval(), 1500);
        w.langsam_Click();
        QCOMPARE(w.Timer2->interval(), 2500);
        QVERIFY(w.Timer2->isActive());
        QCOMPARE(w.Timer2->runningInterval(), 1500);
        QVERIFY(w.Timer2->remainingTime() <= 1500);
        w.Timer2_Timer();
        w.Timer1_Timer(); // the next colour: the length is 5, so one more is drawn
        QCOMPARE(w.Timer2->runningInterval(), 2500);
    }

    void realTimersPaceAShortRound()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.schnell_Click();
        w.targetcount = 1;
        f.platform.randoms = randomsFor({4});
        QStringList seen;
        const auto record = [&] {
            const QString now = visibleSquare(w);
            if (seen.isEmpty() || seen.last() != now)
                seen << now;
        };
        connect(w.Timer1, &IntervalTimer::timeout, this, record, Qt::QueuedConnection);
        connect(w.Timer2, &IntervalTimer::timeout, this, record, Qt::QueuedConnection);
        w.Command1->click();
        QTRY_VERIFY_WITH_TIMEOUT(buttonsShown(w), 10000);
        QCOMPARE(seen, (QStringList{"yellow", "black", "none"}));
        f.answer({4});
        QCOMPARE(w.Label2->text(), praise);
    }
};

GZ_TEST_MAIN(RoundTest)
#include "tst_round.moc"
