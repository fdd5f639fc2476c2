// The window as a Wayland shell sees it: run on a headless compositor by wayland_check.sh, which
// logs every request the game sends to the shell.
#include "support/formfixture.h"
#include "support/testmain.h"

#include <QFileInfo>

class WaylandTest : public QObject
{
    Q_OBJECT
private slots:
    void namedTitledFixedAndPlayable()
    {
        if (QGuiApplication::platformName() != QLatin1String("wayland"))
            GZ_SKIP("needs a Wayland compositor (wayland_check.sh)");
        FormFixture f;
        Form1& w = *f.form;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w, 60000));
        QCOMPARE(w.width(), 505);

        // The shell finds the game's launcher and icon by the app_id: its desktop entry's id.
        const QString id = QFileInfo(QStringLiteral(GZ_DESKTOP_ENTRY)).completeBaseName();
        const QString size = QStringLiteral("(%1, %2)").arg(w.width()).arg(w.height());
        const QStringList told{
            QStringLiteral("set_app_id(\"%1\")").arg(id),
            QStringLiteral("set_title(\"Training für die kleinen grauen Zellen\")"),
            QStringLiteral("set_min_size") + size, QStringLiteral("set_max_size") + size};
        QFile log(qEnvironmentVariable("GZ_COMPOSITOR_LOG"));
        QString requests;
        const auto toldAll = [&] {
            if (log.isOpen() || log.open(QIODevice::ReadOnly))
                requests += QString::fromUtf8(log.readAll());
            return std::all_of(told.begin(), told.end(),
                               [&](const QString& request) { return requests.contains(request); });
        };
        QTRY_VERIFY2_WITH_TIMEOUT(toldAll(), qPrintable(told.join(QLatin1Char(' '))), 30000);

        QTest::mouseClick(w.Command1, Qt::LeftButton);
        QVERIFY(w.Timer1->isActive());
        QVERIFY(w.Command1->isHidden());
        QVERIFY(w.Command2->isVisible());
    }
};

GZ_TEST_MAIN(WaylandTest)
#include "tst_wayland.moc"
