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
// on display), answering (GRÜN, ROT, BLAU, GELB shown), result (after 1 2 4), entry (its OK
// pressed), help or viewer (opened from idle), the entry over the viewer, or help and viewer over
// the answering, opened with ROT focused.
void enter(FormFixture& f, const QString& state)
{
    Form1& w = *f.form;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const auto openViewer = [&] {
        writeLines(f.scorePath(), {scores::scoreLine(9, QStringLiteral("Eva"))});
        w.best->trigger();
    };
    if (state == QLatin1String("presenting")) {
        f.platform.randoms = randomsFor({1});
        w.Command1->click();
        w.Timer1_Timer();
    } else if (state == QLatin1String("viewer") || state == QLatin1String("entry over viewer")) {
        openViewer();
        if (state == QLatin1String("entry over viewer"))
            f.finishRound(2);
    } else if (state == QLatin1String("help")) {
        w.hilf->trigger();
    } else if (state != QLatin1String("idle")) {
        w.targetcount = 4;
        f.present({1, 2, 3, 4});
        if (state == QLatin1String("help and viewer over answering")) {
            w.Command4->setFocus(); // tabbed to
            w.hilf->trigger();
            openViewer();
        }
        if (state == QLatin1String("result") || state == QLatin1String("entry"))
            f.answer({1, 2, 4});
        if (state == QLatin1String("entry"))
            w.Command7->click();
    }
}

void type(QWindow* window, const QString& keys)
{
    for (const QString& key : keys.split(QLatin1Char(' '))) {
        if (key == QLatin1String("Esc"))
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
            {"help", "1 Esc", "idle Frame4 clicks=0 focus=Command11"},
            {"help", "Space", "idle clicks=0 focus=Command1"},
            {"help and viewer over answering", "1 Space Space",
             "answering clicks=1 focus=Command4 list=1"},
            {"viewer", "1 Esc", "idle Frame2 clicks=0 focus=Command8 list=1"},
            {"viewer", "Space", "idle clicks=0 focus=Command1 list=1"},
            {"entry over viewer", "Return", "idle Frame2 clicks=3 focus=Command8 list=2"},
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

    // The second click of a double-click goes only where the first one went.
    void doubleClicks_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("under");
        QTest::addColumn<QString>("after");
        QTest::newRow("result's OK over the entry's abbrechen")
            << "result"
            << "Command7"
            << "Command10"
            << "idle Frame3 clicks=3 focus=Text1 name=";
        QTest::newRow("viewer's ok over Start") << "viewer"
                                                << "Command8"
                                                << "Command1"
                                                << "idle clicks=0 focus=Command1 list=1";
        QTest::newRow("one colour twice") << "answering"
                                          << "Command3"
                                          << "Command3"
                                          << "answering Frame1 clicks=2 focus=Command7";
    }
    void doubleClicks()
    {
        QFETCH(QString, state);
        QFETCH(QString, first);
        QFETCH(QString, under);
        QFETCH(QString, after);
        FormFixture f;
        enter(f, state);
        Form1& w = *f.form;
        const auto area = [&w](const QString& name) {
            const auto* control = w.findChild<QWidget*>(name);
            return QRect(control->mapTo(&w, QPoint(0, 0)), control->size());
        };
        const QRect both = area(first) & area(under);
        QVERIFY(!both.isEmpty());
        QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, both.center());
        QCOMPARE(snapshot(f), after);
    }
};

GZ_TEST_MAIN(InputTest)
#include "tst_input.moc"
