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

// What the player sees of the round: the square, the buttons, the instruction, the progress line
// and the result panel.
QString screen(Form1& w)
{
    QStringList parts{visibleSquare(w)};
    const std::pair<QWidget*, const char*> controls[] = {{w.Command1, "Start"},
                                                         {w.Command2, "Abbrechen"},
                                                         {w.Label4, "instruction"},
                                                         {w.Frame1, "result"}};
    for (const auto& [control, name] : controls) {
        if (!control->isHidden())
            parts << QLatin1String(name);
    }
    if (buttonsShown(w))
        parts << QStringLiteral("colours");
    if (!w.Label3->isHidden())
        parts << QLatin1Char('"') + w.Label3->text() + QLatin1Char('"');
    return parts.join(QLatin1Char(' '));
}

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

    // Cancel in every state of a round, then a new, shorter round: it restarts the counters,
    // shows and judges only its own colours, or, while a result waits for its OK, does not start.
    void cancel_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("after");
        QTest::newRow("first gap") << "first gap"
                                   << "none Start";
        QTest::newRow("colour shown") << "colour shown"
                                      << "none Start";
        QTest::newRow("black square") << "black square"
                                      << "none Start";
        QTest::newRow("answering") << "answering"
                                   << "none Start \" 2 von 4 richtig\"";
        QTest::newRow("result") << "result"
                                << "none Start result";
    }
    void cancel()
    {
        QFETCH(QString, state);
        QFETCH(QString, after);
        FormFixture f;
        Form1& w = *f.form;
        w.targetcount = 4;
        f.platform.randoms = randomsFor({1, 1, 1, 1});
        w.Command1->click();
        if (state != QLatin1String("first gap"))
            w.Timer1_Timer();
        if (state == QLatin1String("black square"))
            w.Timer2_Timer();
        if (state == QLatin1String("answering") || state == QLatin1String("result")) {
            f.present({1, 1, 1, 1});
            f.answer(state == QLatin1String("result") ? QList<int>{1, 2} : QList<int>{1, 1});
        }
        w.Command2->click();
        QCOMPARE(screen(w), after);
        QVERIFY(!w.Timer1->isActive() && !w.Timer2->isActive());
        if (state == QLatin1String("result")) {
            // The round ends through OK with its score; the entry opens, and only then Start.
            w.Command1_Click();
            QVERIFY(!w.Timer1->isActive());
            w.Command7->click();
            QCOMPARE(w.clickcount - 1, 1);
            w.Command1_Click();
            QVERIFY(!w.Timer1->isActive());
            w.Command10->click();
        }
        w.targetcount = 2;
        f.present({2, 3});
        QCOMPARE(w.showncount, 3);
        // Beyond its own length, what the longer round stored stays, and is never judged.
        const bool presented =
            state == QLatin1String("answering") || state == QLatin1String("result");
        QCOMPARE(w.shownseq[3], qint16(presented ? 1 : 0));
        f.answer({2, 3});
        QCOMPARE(w.Label2->text(), praise);
        QCOMPARE(w.clickcount - 1, 2);
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

    // With "Farbnamen zeigen" checked when a colour shows, its square carries the caption of its
    // button in the middle, black on green, red and yellow, white on blue, with its edge in the
    // pure colour; unchecked, or checked only while it shows, the square is plain, and the black
    // square between two colours is plain black either way.
    void colourNames_data()
    {
        QTest::addColumn<int>("colour");
        QTest::addColumn<bool>("named");
        QTest::addColumn<QString>("then");
        QTest::addColumn<QColor>("text"); // invalid: none
        const QColor black(Qt::black);
        QTest::newRow("GRÜN") << 1 << true << "" << black;
        QTest::newRow("ROT") << 2 << true << "" << black;
        QTest::newRow("BLAU") << 3 << true << "" << QColor(Qt::white);
        QTest::newRow("GELB") << 4 << true << "" << black;
        QTest::newRow("GRÜN, unchecked") << 1 << false << "" << QColor();
        QTest::newRow("GELB, checked while it shows") << 4 << false << "toggled" << QColor();
        QTest::newRow("the black square after BLAU") << 3 << true << "gap" << QColor();
    }
    void colourNames()
    {
        QFETCH(int, colour);
        QFETCH(bool, named);
        QFETCH(QString, then);
        QFETCH(QColor, text);
        FormFixture f;
        Form1& w = *f.form;
        w.farbnamen->setChecked(named);
        f.platform.randoms = randomsFor({colour});
        w.Command1_Click();
        w.Timer1_Timer();
        if (then == QLatin1String("toggled"))
            w.farbnamen->toggle();
        if (then == QLatin1String("gap"))
            w.Timer2_Timer();
        const QImage square = w.centralWidget()->grab(w.Shape9->geometry()).toImage();
        const QRgb fills[] = {qRgb(0, 255, 0), qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
        const QRgb fill = then == QLatin1String("gap") ? qRgb(0, 0, 0) : fills[colour - 1];
        int inText = 0;
        int other = 0;
        const int edge = square.width() / 8;
        for (int y = 0; y < square.height(); ++y) {
            for (int x = 0; x < square.width(); ++x) {
                const QRgb pixel = square.pixel(x, y) | 0xff000000;
                if (pixel == fill)
                    continue;
                QVERIFY2(x >= edge && y >= edge && x < square.width() - edge &&
                             y < square.height() - edge,
                         qPrintable(QStringLiteral("at the edge, %1,%2").arg(x).arg(y)));
                (text.isValid() && pixel == text.rgb() ? inText : other)++;
            }
        }
        if (!text.isValid()) {
            QCOMPARE(inText + other, 0);
            return;
        }
        QVERIFY2(inText > 200, qPrintable(QString::number(inText)));
        // The word is the colour's own (the row's name): the square looks the same once given it.
        Square* const shown = w.findChild<Square*>(QStringLiteral("Shape%1").arg(colour));
        const QImage painted = shown->grab().toImage();
        shown->setName(QString::fromUtf8(QTest::currentDataTag()));
        QCOMPARE(shown->grab().toImage(), painted);
    }

    // With "Töne spielen" ticked, each colour sounds its tone while it shows, each press its
    // colour's tone and a wrong press the wrong sound; the round's sound is opened at Start and
    // closed with its end. Unticked, nothing is asked of the sound at all. A change of the
    // setting comes with the next colour or press. A server that cannot be had, or that breaks
    // down, unticks the setting, and the round goes on; the player is told why in German once,
    // at the round's end, so that no box stops the round.
    // Steps: "tick"/"untick" the setting, "show" the next colour, "black", "click C", "cancel",
    // "breaks" (the server breaks down).
    void tones_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("sounds");
        QTest::addColumn<QString>("told");
        const QString round = QStringLiteral("show black show black end click 1 click 3");
        const QString noServer =
            QStringLiteral("Es können keine Töne gespielt werden. Es läuft kein Tondienst.");
        QTest::newRow("unticked") << false << false << round << ""
                                  << "";
        QTest::newRow("ticked") << true << false << round
                                << "open, tone 1, silence, tone 3, silence, press 1, press 3, close"
                                << "";
        QTest::newRow("a wrong press") << true << false << "show black show black end click 2"
                                       << "open, tone 1, silence, tone 3, silence, wrong 2, close"
                                       << "";
        QTest::newRow("ticked during the first colour")
            << false << false << "show tick black show black end click 1 click 3"
            << "open, silence, tone 3, silence, press 1, press 3, close"
            << "";
        QTest::newRow("unticked during the first colour")
            << true << false << "show untick black show black end click 1 click 3"
            << "open, tone 1, silence, silence, close"
            << "";
        QTest::newRow("cancelled while a colour shows") << true << false << "show cancel"
                                                        << "open, tone 1, silence, close"
                                                        << "";
        QTest::newRow("no server") << true << true << round << "open, close" << noServer;
        QTest::newRow("no server, before the round's end")
            << true << true << "show black show black end"
            << "open, close"
            << "";
        QTest::newRow("no server, ticked again during the round, its answer after the end")
            << true << true << "show tick black show black end click 1 click 3 breaks"
            << "open, close, open, close" << noServer;
        QTest::newRow("the server breaks down")
            << true << false << "show breaks black show black end click 1 click 3"
            << "open, tone 1, close"
            << "Die Töne sind während der Runde verstummt. Die Verbindung zum Tondienst ist "
               "abgebrochen.";
    }
    void tones()
    {
        QFETCH(bool, ticked);
        QFETCH(bool, refused);
        QFETCH(QString, steps);
        QFETCH(QString, sounds);
        QFETCH(QString, told);
        FormFixture f;
        Form1& w = *f.form;
        if (ticked)
            w.readoptions({QStringLiteral("graue-zellen"), QStringLiteral("--toene")});
        if (refused)
            f.platform.soundRefused = Platform::SoundTrouble::NoServer;
        w.targetcount = 2;
        f.platform.randoms = randomsFor({1, 3});
        w.Command1_Click();
        const QStringList list = steps.split(QLatin1Char(' '));
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QString& step = list[i];
            if (step == QLatin1String("show") || step == QLatin1String("end"))
                w.Timer1_Timer();
            else if (step == QLatin1String("black"))
                w.Timer2_Timer();
            else if (step == QLatin1String("tick") || step == QLatin1String("untick"))
                w.toene->trigger();
            else if (step == QLatin1String("cancel"))
                w.Command2->click();
            else if (step == QLatin1String("breaks"))
                f.platform.breakSound();
            else if (step == QLatin1String("click"))
                f.answer({list[++i].toInt()});
        }
        QCOMPARE(f.platform.sounds.join(QStringLiteral(", ")), sounds);
        QCOMPARE(f.platform.boxes.size(), told.isEmpty() ? 0 : 1);
        if (!told.isEmpty()) {
            QCOMPARE(f.platform.boxes[0].text, told);
            QCOMPARE(f.platform.boxes[0].title, QStringLiteral("Töne spielen"));
        }
        if (refused || steps.contains(QLatin1String("breaks")))
            QVERIFY(!w.toene->isChecked());
        // The round itself is as without sound.
        if (steps.contains(QLatin1String("click"))) {
            QVERIFY(!w.Frame1->isHidden());
            QCOMPARE(w.clickcount - 1, steps.endsWith(QLatin1String("click 2")) ? 0 : 2);
        }
    }

    // Each row: the colours shown, the clicks, and what the round ends with.
    // Each row: the colours shown, the clicks, and what the round shows then: the result (none
    // yet where empty), the score and the progress line's last text. Clicks after the result
    // change nothing.
    void judging_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("label2");
        QTest::addColumn<int>("score");
        QTest::addColumn<QString>("progress");
        const QString mistake =
            QStringLiteral("Das war leider ein Fehler, aber Sie haben  %1 richtig");
        const QList<int> twelve = {1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4};
        QTest::newRow("right, right, wrong")
            << 5 << QList<int>{1, 2, 3, 4, 1} << QList<int>{1, 2, 4} << mistake.arg(2) << 2
            << " 2 von 5 richtig";
        QTest::newRow("wrong first click")
            << 5 << QList<int>{1, 2, 3, 4, 1} << QList<int>{3} << mistake.arg(0) << 0 << "Label3";
        QTest::newRow("complete") << 5 << QList<int>{4, 4, 3, 2, 1} << QList<int>{4, 4, 3, 2, 1}
                                  << praise << 5 << " 5 von 5 richtig";
        QTest::newRow("length 1 right")
            << 1 << QList<int>{2} << QList<int>{2} << praise << 1 << " 1 von 1 richtig";
        QTest::newRow("length 1 wrong")
            << 1 << QList<int>{2} << QList<int>{1} << mistake.arg(0) << 0 << "Label3";
        QTest::newRow("3 of 12") << 12 << twelve << twelve.mid(0, 3) << "" << 2
                                 << " 3 von 12 richtig";
        QTest::newRow("12 of 12") << 12 << twelve << twelve << praise << 12 << " 12 von 12 richtig";
        QTest::newRow("clicks after a mistake")
            << 3 << QList<int>{1, 2, 3} << QList<int>{1, 4, 2, 3, 1} << mistake.arg(1) << 1
            << " 1 von 3 richtig";
        QTest::newRow("clicks after praise")
            << 2 << QList<int>{1, 2} << QList<int>{1, 2, 1, 1} << praise << 2 << " 2 von 2 richtig";
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
        f.answer(clicks);
        QCOMPARE(w.Label3->text(), progress);
        if (label2.isEmpty()) {
            QCOMPARE(screen(w),
                     QStringLiteral("none Abbrechen instruction colours \"%1\"").arg(progress));
            return;
        }
        QCOMPARE(screen(w), QStringLiteral("none Abbrechen instruction result colours"));
        QCOMPARE(w.Label2->text(), label2);
        QCOMPARE(w.clickcount - 1, score);
        // OK puts the window back to idle.
        w.Command7->click();
        QCOMPARE(screen(w), QStringLiteral("none Start"));
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
        QTRY_VERIFY_WITH_TIMEOUT(buttonsShown(w), 30000);
        QCOMPARE(seen, (QStringList{"yellow", "black", "none"}));
        f.answer({4});
        QCOMPARE(w.Label2->text(), praise);
    }
};

GZ_TEST_MAIN(RoundTest)
#include "tst_round.moc"
