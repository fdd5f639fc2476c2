// The window as a window manager frames it: run on a real X display (xvfb with openbox, by
// framed_check.sh), where the frame is known only after the window has been mapped.
#include "support/formfixture.h"
#include "support/testmain.h"

#include <QProcess>
#include <QScreen>

class FramedTest : public QObject
{
    Q_OBJECT
private slots:
    void centredFramedAndNamed()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GZ_SKIP("needs an X display with a window manager (framed_check.sh)");
        FormFixture f;
        Form1& w = *f.form;
        w.show();
        // However slow the machine, the window manager frames the window once it is mapped.
        QVERIFY(QTest::qWaitForWindowExposed(&w, 60000));
        // Framed: a title bar above the client area.
        QTRY_VERIFY_WITH_TIMEOUT(w.frameGeometry().top() < w.geometry().top(), 30000);
        const QPoint screen = w.screen()->availableGeometry().center();
        QTRY_VERIFY2_WITH_TIMEOUT(
            (w.frameGeometry().center() - screen).manhattanLength() <= 2,
            qPrintable(QStringLiteral("frame %1,%2 %3x%4 on a screen centred at %5,%6")
                           .arg(w.frameGeometry().x())
                           .arg(w.frameGeometry().y())
                           .arg(w.frameGeometry().width())
                           .arg(w.frameGeometry().height())
                           .arg(screen.x())
                           .arg(screen.y())),
            30000);

        // A shell ties the window to the game's launcher by the class that its entry names.
        QFile entry(QStringLiteral(GZ_DESKTOP_ENTRY));
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString named = QString::fromUtf8(entry.readAll())
                                  .section(QStringLiteral("StartupWMClass="), 1)
                                  .section(QLatin1Char('\n'), 0, 0);
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(w.winId()),
                                              QStringLiteral("WM_CLASS")});
        QVERIFY(xprop.waitForFinished(60000));
        const QString classes = QString::fromUtf8(xprop.readAllStandardOutput());
        QVERIFY2(!named.isEmpty() &&
                     classes.trimmed().endsWith(QStringLiteral(", \"%1\"").arg(named)),
                 qPrintable(classes));
    }
};

GZ_TEST_MAIN(FramedTest)
#include "tst_framed.moc"
