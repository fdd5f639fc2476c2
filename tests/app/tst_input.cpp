// Keys, focus and double-clicks, sent through the window as the platform delivers them.
#include "support/formfixture.h"
#include "support/scorefiles.h"
#include "support/testmain.h"

namespace
{

// What a player sees after the keys: the phase, the open panels, the score so far, where the
// focus is, the name typed while the entry is open, and the lines of a list once there is one.
QString snapshot(FormFixture& f)
{
    Form1& w = *f.form;
    QStringList parts;
    parts << (w.Timer1->isActive() || w.Timer2->isActive() ? "presenting"
              : !w.Command3->isHidden()                    ? "answering"
                                                           : "idle");
    for (Panel* panel : {w.Frame1, w.Frame2, w.Frame3, w.Frame4}) {
        if (!panel->isHidden())
            parts << panel->objectName();
    }
    parts << QStringLiteral("clicks=%1").arg(w.clickcount);
    const QWidget* focus = QApplication::focusWidget();
    parts << QStringLiteral("focus=") + (focus ? focus->objectName() : QStringLiteral("none"));
    if (!w.Frame3->isHidden())
        parts << QStringLiteral("name=") + w.Text1->text();
    if (QFile::exists(f.scorePath()))
        parts << QStringLiteral("list=%1").arg(fileLines(f.scorePath()).size());
    return parts.join(QLatin1Char(' '));
}

// Shows the window and brings the game into the named state: idle, presenting (the first colour
// on display), answering (GRÜN, ROT, BLAU, GELB shown; "answering green": four times GRÜN),
// result (after 1 2 4), entry (its OK pressed), help or viewer (opened from idle), the entry over
// the viewer, help and viewer over the answering (opened with ROT focused), help or viewer over
// the presenting or the answering, help opened over the entry, or the entry opened under the help.
void enter(FormFixture& f, const QString& state)
{
    Form1& w = *f.form;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const auto openViewer = [&] {
        writeLines(f.scorePath(), {scores::scoreLine(9, QStringLiteral("Eva"))});
        w.best->trigger();
    };
    if (state.endsWith(QLatin1String("presenting"))) {
        f.platform.randoms = randomsFor({1});
        w.Command1->click();
        w.Timer1_Timer();
        if (state.startsWith(QLatin1String("help")))
            w.hilf->trigger();
        if (state.startsWith(QLatin1String("viewer")))
            openViewer();
    } else if (state == QLatin1String("answering green")) {
        w.targetcount = 4;
        f.present({1, 1, 1, 1});
    } else if (state == QLatin1String("viewer") || state == QLatin1String("entry over viewer")) {
        openViewer();
        if (state == QLatin1String("entry over viewer"))
            f.finishRound(2);
    } else if (state == QLatin1String("help")) {
        w.hilf->trigger();
    } else if (state != QLatin1String("idle")) {
        w.targetcount = 4;
        f.present({1, 2, 3, 4});
        if (state == QLatin1String("help over answering"))
            w.hilf->trigger();
        if (state == QLatin1String("help and viewer over answering")) {
            w.Command4->setFocus(); // tabbed to
            w.hilf->trigger();
            openViewer();
        }
        if (!state.endsWith(QLatin1String("answering")))
            f.answer({1, 2, 4});
        if (state == QLatin1String("entry under help"))
            w.hilf->trigger();
        if (state.startsWith(QLatin1String("entry")) || state == QLatin1String("help over entry"))
            w.Command7_Click(); // covered by the help in "entry under help"
        if (state == QLatin1String("help over entry"))
            w.hilf->trigger();
    }
}

void type(QWindow* window, const QString& keys)
{
    for (const QString& key : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (key == QLatin1String("Tab"))
            QTest::keyClick(window, Qt::Key_Tab);
        else if (key == QLatin1String("Backtab"))
            QTest::keyClick(window, Qt::Key_Backtab, Qt::ShiftModifier);
        else if (key == QLatin1String("Esc"))
            QTest::keyClick(window, Qt::Key_Escape);
        else if (key == QLatin1String("Space"))
            QTest::keyClick(window, Qt::Key_Space);
        else if (key == QLatin1String("Return"))
            QTest::keyClick(window, Qt::Key_Return);
        else if (key.startsWith(QLatin1String("KP")))
            QTest::keyClick(window, Qt::Key(Qt::Key_0 + key.mid(2).toInt()), Qt::KeypadModifier);
        else
            QTest::keyClick(window, Qt::Key(Qt::Key_0 + key.toInt()));
    }
}

} // namespace

class InputTest : public QObject
{
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("after");
        const char* rows[][3] = {
            {"idle", "1 2 3 4 Esc", "idle clicks=0 focus=Command1"},
            {"idle", "Space", "presenting clicks=0 focus=Command2"},
            {"presenting", "1 2 3 4", "presenting clicks=0 focus=Command2"},
            {"presenting", "Esc", "idle clicks=0 focus=Command1"},
            {"answering", "1 2 3 4", "answering Frame1 clicks=5 focus=Command7"},
            {"answering", "KP1 KP2 KP3 KP4", "answering Frame1 clicks=5 focus=Command7"},
            {"answering", "1 2 4", "answering Frame1 clicks=3 focus=Command7"},
            {"answering", "1 Esc", "idle clicks=1 focus=Command1"},
            {"result", "3 4", "answering Frame1 clicks=3 focus=Command7"},
            {"result", "Esc", "idle Frame1 clicks=3 focus=Command7"},
            {"result", "Space", "idle Frame3 clicks=3 focus=Text1 name="},
            {"entry", "1 KP2 Esc", "idle Frame3 clicks=3 focus=Text1 name=12"},
            {"entry", "Return", "idle clicks=3 focus=Command1 list=1"},
            {"help", "1 Tab Space", "idle clicks=0 focus=Command1"},
            {"help", "Backtab Tab Tab Space", "idle clicks=0 focus=Command1"},
            {"help", "Esc", "idle clicks=0 focus=Command1"},
            {"help over presenting", "Esc", "presenting clicks=0 focus=Command2"},
            {"help over presenting", "Tab Space", "idle Frame4 clicks=0 focus=Command11"},
            {"help over answering", "Backtab Space", "answering Frame4 clicks=1 focus=Command3"},
            {"help and viewer over answering", "1 Space Space",
             "answering clicks=1 focus=Command4 list=1"},
            {"help and viewer over answering", "Esc Esc Esc",
             "idle clicks=0 focus=Command1 list=1"},
            {"viewer", "1 Tab Tab Space", "idle clicks=0 focus=Command1 list=1"},
            {"viewer", "Backtab Backtab Space", "idle clicks=0 focus=Command1 list=1"},
            {"viewer", "Esc", "idle clicks=0 focus=Command1 list=1"},
            {"viewer over presenting", "Esc Esc", "idle clicks=0 focus=Command1 list=1"},
            {"entry over viewer", "Esc Return", "idle Frame2 clicks=3 focus=Command8 list=2"},
            {"help over entry", "Tab Return", "idle Frame3 Frame4 clicks=3 focus=Command11 name="},
            {"help over entry", "Esc 7 Return", "idle clicks=3 focus=Command1 list=1"},
            {"entry under help", "Space", "idle Frame3 clicks=3 focus=Text1 name="},
        };
        for (const auto& [state, keys, after] : rows)
            QTest::addRow("%s: %s", state, keys) << state << keys << after;
    }
    void keys()
    {
        QFETCH(QString, state);
        QFETCH(QString, keys);
        QFETCH(QString, after);
        FormFixture f;
        enter(f, state);
        type(f.form->windowHandle(), keys);
        QCOMPARE(snapshot(f), after);
    }

    // Every click of a quick burst goes only where its first one went; a click elsewhere, or one
    // after the double-click interval, begins a burst of its own.
    void bursts_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("under");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<int>("apartMs");
        QTest::addColumn<QString>("after");
        for (const int clicks : {2, 3, 4}) {
            QTest::addRow("result's OK over the entry's abbrechen, %d clicks", clicks)
                << "result"
                << "Command7"
                << "Command10" << clicks << 25 << "idle Frame3 clicks=3 focus=Text1 name=";
            QTest::addRow("viewer's ok over Start, %d clicks", clicks)
                << "viewer"
                << "Command8"
                << "Command1" << clicks << 25 << "idle clicks=0 focus=Command1 list=1";
            // One colour clicked quickly counts every click; the fourth ends the round.
            QTest::addRow("GRÜN, %d clicks", clicks)
                << "answering green"
                << "Command3"
                << "Command3" << clicks << 25
                << (clicks < 4 ? QStringLiteral("answering clicks=%1 focus=Command3").arg(clicks)
                               : QStringLiteral("answering Frame1 clicks=5 focus=Command7"));
        }
        QTest::newRow("result's OK, then the entry's abbrechen after the interval")
            << "result"
            << "Command7"
            << "Command10" << 2 << 1000 << "idle clicks=3 focus=Command1";
        // Controls that do not overlap take their clicks in turn.
        QTest::newRow("GRÜN and ROT in turn, quickly")
            << "answering"
            << "Command3"
            << "Command4" << 2 << 25 << "answering clicks=2 focus=Command4";
    }
    void bursts()
    {
        QFETCH(QString, state);
        QFETCH(QString, first);
        QFETCH(QString, under);
        QFETCH(int, clicks);
        QFETCH(int, apartMs);
        QFETCH(QString, after);
        FormFixture f;
        enter(f, state);
        Form1& w = *f.form;
        const auto area = [&w](const QString& name) {
            const auto* control = w.findChild<QWidget*>(name);
            return QRect(control->mapTo(&w, QPoint(0, 0)), control->size());
        };
        const QRect both = area(first) & area(under);
        // As a quick hand clicks: the platform makes a double-click of every second press within
        // the interval, and the others come as plain presses.
        QWindow* window = w.windowHandle();
        for (int click = 0; click < clicks; ++click) {
            const QPoint at =
                !both.isEmpty() ? both.center() : area(click % 2 ? under : first).center();
            QTest::lastMouseTimestamp += apartMs;
            qt_handleMouseEvent(window, at, window->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                                QEvent::MouseButtonPress, {}, QTest::lastMouseTimestamp);
            qt_handleMouseEvent(window, at, window->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                                QEvent::MouseButtonRelease, {}, QTest::lastMouseTimestamp);
            QCoreApplication::processEvents();
        }
        QTest::lastMouseTimestamp += 1000; // the burst is over
        QCOMPARE(snapshot(f), after);
    }
};

GZ_TEST_MAIN(InputTest)
#include "tst_input.moc"
