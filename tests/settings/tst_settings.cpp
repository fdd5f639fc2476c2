#include "support/formfixture.h"
#include "support/testmain.h"

namespace
{

// The marked items of the speed and length menus, by name.
QString marks(Form1& w)
{
    QStringList marked;
    for (QAction* item : {w.schnell, w.mittel, w.langsam, w.es5, w.es10, w.es20, w.es30, w.es40,
                          w.es50, w.selbst, w.spanne, w.farbnamen, w.toene}) {
        if (item->isChecked())
            marked << item->objectName();
    }
    return marked.join(QLatin1Char(' '));
}

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT
private slots:
    // A walk through the menu items, as the player chooses them one after another; "selbst=60"
    // answers the typed length's box, "selbst=" cancels it, "--..." is a start with those options
    // (joined by "+"), "nosound" takes the sound server away.
    // After the walk exactly the last choices carry marks, and the status line, the length and the
    // display time follow them.
    void menuWalk_data()
    {
        QTest::addColumn<QString>("walk");
        QTest::addColumn<QString>("marked");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("displayMs");
        QTest::addColumn<QString>("word");
        QTest::newRow("start-up") << ""
                                  << "mittel es5" << 5 << 1500 << "mittlerer";
        QTest::newRow("langsam") << "langsam"
                                 << "langsam es5" << 5 << 2500 << "langsamer";
        QTest::newRow("every speed") << "langsam schnell mittel langsam schnell"
                                     << "schnell es5" << 5 << 750 << "schneller";
        QTest::newRow("every length") << "es10 es20 es30 es40 es50 selbst=60 es10"
                                      << "mittel es10" << 10 << 1500 << "mittlerer";
        QTest::newRow("50, then schnell") << "es50 schnell"
                                          << "schnell es50" << 50 << 750 << "schneller";
        QTest::newRow("the marked items again") << "mittel es5"
                                                << "mittel es5" << 5 << 1500 << "mittlerer";
        QTest::newRow("typed 60") << "langsam es20 selbst=60"
                                  << "langsam selbst" << 60 << 2500 << "langsamer";
        QTest::newRow("typed, then cancelled") << "es30 selbst="
                                               << "mittel es5" << 5 << 1500 << "mittlerer";
        QTest::newRow("typed twice") << "selbst=7 selbst="
                                     << "mittel es5" << 5 << 1500 << "mittlerer";
        QTest::newRow("refused, then cancelled") << "es30 selbst=abc"
                                                 << "mittel es5" << 5 << 1500 << "mittlerer";
        QTest::newRow("Farbnamen zeigen") << "schnell farbnamen"
                                          << "schnell es5 farbnamen" << 5 << 750 << "schneller";
        QTest::newRow("Farbnamen zeigen twice") << "farbnamen farbnamen"
                                                << "mittel es5" << 5 << 1500 << "mittlerer";
        QTest::newRow("started with --farbnamen")
            << "--farbnamen es10"
            << "mittel es10 farbnamen" << 10 << 1500 << "mittlerer";
        QTest::newRow("Töne spielen") << "toene"
                                      << "mittel es5 toene" << 5 << 1500 << "mittlerer";
        QTest::newRow("Töne spielen without a sound server")
            << "nosound toene"
            << "mittel es5" << 5 << 1500 << "mittlerer";
        QTest::newRow("started with --toene") << "--toene"
                                              << "mittel es5 toene" << 5 << 1500 << "mittlerer";
        QTest::newRow("started with --farbnamen --toene, then langsam")
            << "--farbnamen+--toene langsam"
            << "langsam es5 farbnamen toene" << 5 << 2500 << "langsamer";
        QTest::newRow("Spanne messen") << "spanne"
                                       << "mittel spanne" << 5 << 1500 << "mittlerer";
        QTest::newRow("Spanne messen, then schnell")
            << "es20 spanne schnell"
            << "schnell spanne" << 20 << 750 << "schneller";
        QTest::newRow("Spanne messen, then a length") << "spanne es10"
                                                      << "mittel es10" << 10 << 1500 << "mittlerer";
        QTest::newRow("Spanne messen, then typed and cancelled")
            << "spanne selbst="
            << "mittel es5" << 5 << 1500 << "mittlerer";
        QTest::newRow("started with another word")
            << "--farbe farbnamen"
            << "mittel es5 farbnamen" << 5 << 1500 << "mittlerer";
    }
    void menuWalk()
    {
        QFETCH(QString, walk);
        QFETCH(QString, marked);
        QFETCH(int, length);
        QFETCH(int, displayMs);
        QFETCH(QString, word);
        FormFixture f;
        Form1& w = *f.form;
        for (const QString& step : walk.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            // The command line the program was started with, before any choice.
            if (step.startsWith(QLatin1String("--"))) {
                w.readoptions(QStringList{QStringLiteral("graue-zellen")} +
                              step.split(QLatin1Char('+')));
                continue;
            }
            if (step == QLatin1String("nosound")) {
                f.platform.soundRefused = Platform::SoundTrouble::NoServer;
                continue;
            }
            if (step.startsWith(QLatin1String("selbst=")))
                f.platform.inputs.push_back(step.mid(7));
            w.findChild<QAction*>(step.section(QLatin1Char('='), 0, 0))->trigger();
        }
        QCOMPARE(marks(w), marked);
        QCOMPARE(w.targetcount, length);
        QCOMPARE(w.Timer2->interval(), displayMs);
        QCOMPARE(w.Timer1->interval(), 750);
        const QString status =
            w.spanne->isChecked()
                ? QStringLiteral(" Einstellung:  Spanne messen bei %1 Geschwindigkeit.").arg(word)
                : QStringLiteral(" Einstellung:  %1 Farben merken bei %2 Geschwindigkeit.")
                      .arg(length)
                      .arg(word);
        QCOMPARE(w.Label1->text(), status);
        QCOMPARE(w.statusline, status);
        if (!f.platform.prompts.isEmpty()) {
            QCOMPARE(f.platform.prompts[0].prompt, QStringLiteral("Bitte eine Zahl eingeben"));
            QCOMPARE(f.platform.prompts[0].title,
                     QStringLiteral("50 ist Ihnen also noch zu wenig"));
            QCOMPARE(f.platform.prompts[0].preset, QStringLiteral("60"));
        }
    }

    // A typed answer: a whole number from 1 to 500 is the length; anything else is explained
    // and asked for again, pre-filled with it, until it is corrected or the box is cancelled.
    void typedLength_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("length"); // 0: refused
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("500") << "500" << 500;
        QTest::newRow("blanks around") << "  42 " << 42;
        QTest::newRow("tab around") << "\t12\t" << 12;
        QTest::newRow("leading zeros") << "0000000000000000000000500" << 500;
        QTest::newRow("text") << "zwanzig" << 0;
        QTest::newRow("fraction") << "12.5" << 0;
        QTest::newRow("decimal comma") << "12,5" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-3" << 0;
        QTest::newRow("plus sign") << "+3" << 0;
        QTest::newRow("above 500") << "501" << 0;
        QTest::newRow("too large for any integer") << QString(10000, QLatin1Char('9')) << 0;
        QTest::newRow("arabic-indic digits") << QStringLiteral("\u0663\u0660") << 0;
        QTest::newRow("fullwidth digits") << QStringLiteral("\uFF16\uFF10") << 0;
        QTest::newRow("only blanks") << "   " << 0;
        QTest::newRow("number with text") << "60 Farben" << 0;
    }
    void typedLength()
    {
        QFETCH(QString, answer);
        QFETCH(int, length);
        FormFixture f;
        Form1& w = *f.form;
        w.es20_Click();
        f.platform.inputs = {answer, QStringLiteral("25")};
        w.selbst_Click();
        if (length > 0) {
            QVERIFY(f.platform.boxes.isEmpty());
            QCOMPARE(w.targetcount, length);
        } else {
            QCOMPARE(f.platform.boxes.size(), 1);
            QCOMPARE(f.platform.boxes[0].text,
                     QStringLiteral("Bitte geben Sie eine ganze Zahl von 1 bis 500 ein."));
            QCOMPARE(f.platform.boxes[0].title, QStringLiteral("50 ist Ihnen also noch zu wenig"));
            QCOMPARE(f.platform.prompts[1].preset, answer); // left to be corrected
            QCOMPARE(w.targetcount, 25);
        }
        QCOMPARE(marks(w), QStringLiteral("mittel selbst"));
    }

    void helpPanelDuringARound()
    {
        FormFixture f;
        Form1& w = *f.form;
        f.platform.randoms = randomsFor({2, 2, 2, 2, 2});
        w.Command1_Click();
        w.Timer1_Timer();
        w.hilf->trigger();
        QVERIFY(!w.Frame4->isHidden());
        w.hilf->trigger();
        QVERIFY(!w.Frame4->isHidden());
        QVERIFY(w.Timer2->isActive()); // the round goes on
        w.Timer2_Timer();
        QVERIFY(w.Timer1->isActive());
        w.Command11->click();
        QVERIFY(w.Frame4->isHidden());
        QVERIFY(w.Timer1->isActive());
    }

    // The quit question during a round with the help open: No leaves everything as it was, Yes
    // ends the game at once and leaves the list alone.
    void quit_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Nein") << false;
        QTest::newRow("Ja") << true;
    }
    void quit()
    {
        QFETCH(bool, yes);
        FormFixture f;
        Form1& w = *f.form;
        w.Command1_Click();
        w.hilf_Click();
        f.platform.answers = {yes ? Platform::Answer::Yes : Platform::Answer::No};
        w.kl->trigger();
        QCOMPARE(f.platform.boxes.size(), 1);
        const FakePlatform::Box box = f.platform.boxes[0];
        QCOMPARE(box.text, QStringLiteral("Wirklich beenden?"));
        QCOMPARE(box.title, QStringLiteral("Ich frage lieber mal nach?"));
        QCOMPARE(box.buttons, Platform::Buttons::YesNo);
        QCOMPARE(box.icon, Platform::Icon::None);
        QCOMPARE(f.platform.ended, yes);
        QVERIFY(!QFile::exists(f.scorePath()));
        if (!yes) {
            QVERIFY(w.Timer1->isActive());
            QVERIFY(!w.Frame4->isHidden());
            QVERIFY(w.Command1->isHidden());
        }
    }

    void closeBoxEndsWithoutAQuestion()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Command1_Click();
        // Closing the last window that quits on close ends the event loop.
        QVERIFY(w.testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(QGuiApplication::quitOnLastWindowClosed());
        QVERIFY(w.close()); // accepted: nothing asks
        QVERIFY(f.platform.boxes.isEmpty());
        QVERIFY(!w.isVisible());
    }
};

GZ_TEST_MAIN(SettingsTest)
#include "tst_settings.moc"
