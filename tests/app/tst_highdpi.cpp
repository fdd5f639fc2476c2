// Run with QT_SCALE_FACTOR=2: the window keeps its layout at twice the size.
#include "support/formfixture.h"
#include "support/testmain.h"

class HighDpiTest : public QObject
{
    Q_OBJECT
private slots:
    void layoutAtTwiceTheSize()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (w.devicePixelRatio() != 2.0)
            GZ_SKIP("run with QT_SCALE_FACTOR=2");
        // The same layout in logical pixels...
        QCOMPARE(w.centralWidget()->size(), QSize(505, 390));
        QCOMPARE(w.Command1->geometry(), QRect(200, 136, 145, 33));
        QCOMPARE(w.Command3->geometry(), QRect(96, 272, 57, 57));
        // ...drawn at twice the size.
        w.yourturn();
        const QImage image = w.centralWidget()->grab().toImage();
        QCOMPARE(image.size(), QSize(1010, 780));
        QCOMPARE(image.pixelColor(2 * 96 + 20, 2 * 272 + 100).rgb(), QColor(0, 255, 0).rgb());
        QCOMPARE(image.pixelColor(2 * 312 + 100, 2 * 272 + 20).rgb(), QColor(255, 255, 0).rgb());
        QCOMPARE(image.pixelColor(2 * 10, 2 * 380).rgb(), QColor(255, 255, 192).rgb());
    }

    void iconStaysSharp()
    {
        FormFixture f;
        const QIcon icon = f.form->windowIcon();
        QVERIFY(icon.availableSizes().contains(QSize(64, 64)));
        // A 32-point icon at twice the density is drawn from 64 real pixels, not scaled up.
        const QPixmap pixmap = icon.pixmap(QSize(32, 32), 2.0);
        QCOMPARE(pixmap.size(), QSize(64, 64));
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
    }
};

GZ_TEST_MAIN(HighDpiTest)
#include "tst_highdpi.moc"
