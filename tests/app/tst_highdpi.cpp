// Run with QT_SCALE_FACTOR at 1, 1.5 and 2: the window keeps its layout at every scale, and what
// is drawn stays sharp.
#include "support/formfixture.h"
#include "support/testmain.h"

#include <QSet>

class HighDpiTest : public QObject
{
    Q_OBJECT
private slots:
    void layoutAtTheScale()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const double scale = w.devicePixelRatioF();
        const auto at = [scale](int logical) { return int(logical * scale); };
        // The same layout in logical pixels...
        QCOMPARE(w.centralWidget()->size(), QSize(505, 390));
        QCOMPARE(w.Command1->geometry(), QRect(200, 136, 145, 33));
        QCOMPARE(w.Command3->geometry(), QRect(96, 272, 57, 57));
        // ...drawn at the scale.
        w.yourturn();
        const QImage image = w.centralWidget()->grab().toImage();
        QCOMPARE(image.size(), QSize(qRound(505 * scale), qRound(390 * scale)));
        QCOMPARE(image.pixelColor(at(96 + 10), at(272 + 50)).rgb(), QColor(0, 255, 0).rgb());
        QCOMPARE(image.pixelColor(at(312 + 50), at(272 + 10)).rgb(), QColor(255, 255, 0).rgb());
        QCOMPARE(image.pixelColor(at(495), at(372)).rgb(), QColor(255, 255, 192).rgb());
    }

    // The span test's course: its axis and grid fall on whole device pixels, pure black, grey or
    // white, never blended with what lies beside them, wherever the scale puts them.
    void courseStaysSharp()
    {
        FormFixture f;
        Form1& w = *f.form;
        span::Test first, last;
        first.when = {29'000'000, 60};
        first.span = 2;
        first.trials = {{3, true}};
        last = first;
        last.when.utcMinutes += 30 * 1440;
        last.span = 7;
        w.Chart1->setTests({first, last});
        w.Frame5->show();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // With the panel under it, where the chart leaves it be.
        const QImage image = w.Frame5->grab(w.Chart1->geometry()).toImage();
        const QSet<QRgb> pure = {qRgb(0, 0, 0), qRgb(216, 216, 216), qRgb(255, 255, 255),
                                 qRgb(255, 255, 192)};
        int black = 0;
        // Down the middle, through the grid and the axis below it, and across the axis at the side.
        for (int y = image.height() / 8; y < image.height() * 15 / 16; ++y) {
            const QRgb pixel = image.pixel(image.width() / 2, y) | 0xff000000;
            QVERIFY2(pure.contains(pixel), qPrintable(QString::number(pixel, 16)));
            black += pixel == qRgb(0, 0, 0);
        }
        const double scale = w.Chart1->devicePixelRatioF();
        for (int x = int(23 * scale); x < int(34 * scale); ++x) {
            const QRgb pixel = image.pixel(x, image.height() / 2) | 0xff000000;
            QVERIFY2(pure.contains(pixel), qPrintable(QString::number(pixel, 16)));
            black += pixel == qRgb(0, 0, 0);
        }
        // Each line as wide as a whole number of device pixels nearest to one logical pixel.
        QCOMPARE(black, 2 * std::max(1, qRound(scale)));
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
