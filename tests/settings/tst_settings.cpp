#include "support/formfixture.h"
#include "support/testmain.h"

#include "settings/settingstext.h"

namespace
{

QString statusFor(int length, const char* word)
{
    return QStringLiteral(" Einstellung:  %1 Farben merken bei %2 Geschwindigkeit.")
        .arg(length)
        .arg(QLatin1String(word));
}

QList<QAction*> checkedLengths(Form1& w)
{
    QList<QAction*> marked;
    for (QAction* item : {w.es5, w.es10, w.es20, w.es30, w.es40, w.es50, w.selbst}) {
        if (item->isChecked())
            marked << item;
    }
    return marked;
}

QList<QAction*> checkedSpeeds(Form1& w)
{
    QList<QAction*> marked;
    for (QAction* item : {w.schnell, w.mittel, w.langsam}) {
        if (item->isChecked())
            marked << item;
    }
    return marked;
}

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT
private slots:
    void statusTextAndDisplayTime_data()
    {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("length");
        QTest::addColumn<int>("targetcount");
        QTest::addColumn<int>("displayMs");
        QTest::addColumn<QString>("status");
        QTest::newRow("start-up") << ""
                                  << "" << 5 << 1500 << statusFor(5, "mittlerer");
        QTest::newRow("langsam") << "langsam"
                                 << "" << 5 << 2500 << statusFor(5, "langsamer");
        QTest::newRow("schnell, 50") << "schnell"
                                     << "es50" << 50 << 750 << statusFor(50, "schneller");
        QTest::newRow("mittel, 20") << "mittel"
                                    << "es20" << 20 << 1500 << statusFor(20, "mittlerer");
        QTest::newRow("langsam, 10") << "langsam"
                                     << "es10" << 10 << 2500 << statusFor(10, "langsamer");
        QTest::newRow("schnell, 30") << "schnell"
                                     << "es30" << 30 << 750 << statusFor(30, "schneller");
        QTest::newRow("mittel, 40") << "mittel"
                                    << "es40" << 40 << 1500 << statusFor(40, "mittlerer");
    }
    void statusTextAndDisplayTime()
    {
        QFETCH(QString, speed);
        QFETCH(QString, length);
        QFETCH(int, targetcount);
        QFETCH(int, displayMs);
        QFETCH(QString, status);
        FormFixture f;
        Form1& w = *f.form;
        // Through the menu items, as the player chooses them: length first, then speed.
        if (!length.isEmpty())
            w.findChild<QAction*>(length)->trigger();
        if (!speed.isEmpty())
            w.findChild<QAction*>(speed)->trigger();
        QCOMPARE(w.targetcount, targetcount);
        QCOMPARE(w.Timer2->interval(), displayMs);
        QCOMPARE(w.Timer1->interval(), 750);
        QCOMPARE(w.Label1->text(), status);
        QCOMPARE(w.statusline, status);
        QCOMPARE(checkedSpeeds(w).size(), 1);
        QCOMPARE(checkedLengths(w).size(), 1);
        if (!length.isEmpty())
            QCOMPARE(checkedLengths(w).first()->objectName(), length);
        if (!speed.isEmpty())
            QCOMPARE(checkedSpeeds(w).first()->objectName(), speed);
        // Rebuilding changes nothing.
        w.applysettings();
        QCOMPARE(w.Label1->text(), status);
    }

    void choosingTheMarkedItemAgainChangesNothing()
    {
        FormFixture f;
        Form1& w = *f.form;
        // A checkable action unchecks itself when triggered while checked.
        w.mittel->trigger();
        w.es5->trigger();
        QCOMPARE(checkedSpeeds(w), QList<QAction*>{w.mittel});
        QCOMPARE(checkedLengths(w), QList<QAction*>{w.es5});
        QCOMPARE(w.Label1->text(), statusFor(5, "mittlerer"));
        w.langsam->trigger();
        QCOMPARE(w.targetcount, 5);
        QCOMPARE(checkedLengths(w), QList<QAction*>{w.es5});
    }

    void typedLengthPrefilled60()
    {
        FormFixture f;
        Form1& w = *f.form;
        f.platform.inputs = {QStringLiteral("60")};
        w.selbst->trigger();
        QCOMPARE(f.platform.prompts.size(), 1);
        QCOMPARE(f.platform.prompts[0].prompt, QStringLiteral("Bitte eine Zahl eingeben"));
        QCOMPARE(f.platform.prompts[0].title, QStringLiteral("50 ist Ihnen also noch zu wenig"));
        QCOMPARE(f.platform.prompts[0].preset, QStringLiteral("60"));
        QCOMPARE(w.targetcount, 60);
        QCOMPARE(checkedLengths(w), QList<QAction*>{w.selbst});
        QCOMPARE(w.Label1->text(), statusFor(60, "mittlerer"));
        QVERIFY(f.platform.boxes.isEmpty());
    }

    void cancelledTypedLengthGivesFive()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.es30->trigger();
        w.selbst->trigger(); // nothing queued: the box is cancelled
        QCOMPARE(w.targetcount, 5);
        QCOMPARE(checkedLengths(w), QList<QAction*>{w.es5});
        QCOMPARE(w.Label1->text(), statusFor(5, "mittlerer"));
    }

    void typedLengthAccepted_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("length");
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("500") << "500" << 500;
        QTest::newRow("blanks around") << "  42 " << 42;
        QTest::newRow("tab around") << "\t12\t" << 12;
        QTest::newRow("leading zero") << "007" << 7;
    }
    void typedLengthAccepted()
    {
        QFETCH(QString, answer);
        QFETCH(int, length);
        FormFixture f;
        f.platform.inputs = {answer};
        f.form->selbst_Click();
        QCOMPARE(f.form->targetcount, length);
        QCOMPARE(checkedLengths(*f.form), QList<QAction*>{f.form->selbst});
        QCOMPARE(f.form->Label1->text(), statusFor(length, "mittlerer"));
    }

    void typedLengthRejected_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("text") << "zwanzig";
        QTest::newRow("fraction") << "12.5";
        QTest::newRow("decimal comma") << "12,5";
        QTest::newRow("zero") << "0";
        QTest::newRow("negative") << "-3";
        QTest::newRow("plus sign") << "+3";
        QTest::newRow("above 500") << "501";
        QTest::newRow("too large for any integer") << "99999999999999999999999999";
        QTest::newRow("arabic-indic digits") << QStringLiteral("\u0663\u0660");
        QTest::newRow("fullwidth digits") << QStringLiteral("\uFF16\uFF10");
        QTest::newRow("only blanks") << "   ";
        QTest::newRow("number with text") << "60 Farben";
    }
    void typedLengthRejected()
    {
        QFETCH(QString, answer);
        FormFixture f;
        Form1& w = *f.form;
        w.es20_Click();
        // The bad answer, then the corrected one.
        f.platform.inputs = {answer, QStringLiteral("25")};
        w.selbst_Click();
        QCOMPARE(f.platform.boxes.size(), 1);
        QVERIFY(f.platform.boxes[0].text.contains(QStringLiteral("1 bis 500")));
        QCOMPARE(f.platform.prompts.size(), 2);
        QCOMPARE(f.platform.prompts[1].preset, answer); // left to be corrected
        QCOMPARE(w.targetcount, 25);
        QCOMPARE(checkedLengths(w), QList<QAction*>{w.selbst});

        // Given up with cancel: the length 5, as for an empty answer.
        FormFixture g;
        g.platform.inputs = {answer};
        g.form->selbst_Click();
        QCOMPARE(g.form->targetcount, 5);
        QCOMPARE(checkedLengths(*g.form), QList<QAction*>{g.form->es5});
        QCOMPARE(g.form->Label1->text(), statusFor(5, "mittlerer"));
    }

    void parseLengthNeverOverflows()
    {
        QCOMPARE(settings::parseLength(QString(10000, QLatin1Char('9'))), std::nullopt);
        QCOMPARE(settings::parseLength(QStringLiteral("0000000000000000000000500")), 500);
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

    void quitAnsweredNo()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.Command1_Click();
        w.hilf_Click();
        f.platform.answers = {Platform::Answer::No};
        w.kl->trigger();
        QCOMPARE(f.platform.boxes.size(), 1);
        const FakePlatform::Box box = f.platform.boxes[0];
        QCOMPARE(box.text, QStringLiteral("Wirklich beenden?"));
        QCOMPARE(box.title, QStringLiteral("Ich frage lieber mal nach?"));
        QCOMPARE(box.buttons, Platform::Buttons::YesNo);
        QCOMPARE(box.icon, Platform::Icon::None);
        QVERIFY(!f.platform.ended);
        QVERIFY(w.Timer1->isActive());
        QVERIFY(!w.Frame4->isHidden());
        QVERIFY(w.Command1->isHidden());
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

    void quitAnsweredYes()
    {
        FormFixture f;
        Form1& w = *f.form;
        f.platform.answers = {Platform::Answer::Yes};
        w.kl->trigger();
        QVERIFY(f.platform.ended);
        QVERIFY(!QFile::exists(f.scorePath()));
    }
};

GZ_TEST_MAIN(SettingsTest)
#include "tst_settings.moc"
