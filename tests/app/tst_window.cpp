#include "support/formfixture.h"
#include "support/testmain.h"

#include "ui/helplabel.h"
#include "ui/panel.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

namespace
{

const QString helpText =
    QStringLiteral("Mit diesem kleinen Programm können Sie Ihr Gedächtnis trainieren. Nach dem "
                   "Start werden Farben eingeblendet, die Sie sich merken sollten, denn danach "
                   "müssen Sie diese Farben durch Anklicken der Farbbuttons in der richtigen "
                   "Reihenfolge wiederholen.") +
    QString(70, QLatin1Char(' ')) +
    QStringLiteral("Unter Einstellungen können Sie  die Dauer der Einblendung und die Anzahl der "
                   "Einblendungen festlegen.");

QWidget* child(Form1& form, const char* name)
{
    return form.findChild<QWidget*>(QLatin1String(name));
}

QColor pixelAt(QWidget* widget, QPoint where)
{
    return widget->grab().toImage().pixelColor(where);
}

} // namespace

class WindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initialVisibility()
    {
        FormFixture f;
        Form1& w = *f.form;
        QVERIFY(!w.Command1->isHidden());
        QVERIFY(!w.Label1->isHidden());
        for (QWidget* hidden : std::initializer_list<QWidget*>{
                 w.Frame1, w.Frame2, w.Frame3, w.Frame4, w.Command2, w.Command3, w.Command4,
                 w.Command5, w.Command6, w.Label3, w.Label4, w.Shape1, w.Shape2, w.Shape3, w.Shape4,
                 w.Shape9})
            QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
        // Children of the panels are visible inside their panel.
        for (QWidget* inner : std::initializer_list<QWidget*>{
                 w.Command7, w.Label2, w.Command8, w.List1, w.Text1, w.Command9, w.Command10,
                 w.Label5, w.Command11, w.Label6})
            QVERIFY2(!inner->isHidden(), qPrintable(inner->objectName()));
        QVERIFY(!w.Timer1->isActive());
        QVERIFY(!w.Timer2->isActive());
        QCOMPARE(w.targetcount, 5);
        QCOMPARE(w.clickcount, qint16(0));
        QCOMPARE(f.platform.seeds, 1);
        QVERIFY(w.Text1->text().isEmpty());
        QCOMPARE(w.List1->model()->rowCount(), 0);
    }

    void geometry_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        const std::pair<const char*, QRect> rows[] = {
            {"Frame1", {104, 80, 313, 129}},   {"Frame2", {168, 0, 233, 177}},
            {"Frame3", {152, 104, 257, 113}},  {"Frame4", {48, 24, 393, 177}},
            {"Command7", {176, 96, 97, 25}},   {"Label2", {8, 16, 297, 41}},
            {"Command8", {24, 152, 185, 25}},  {"List1", {8, 0, 217, 147}},
            {"Text1", {24, 48, 209, 25}},      {"Command9", {16, 80, 105, 25}},
            {"Command10", {160, 80, 89, 25}},  {"Label5", {32, 24, 161, 25}},
            {"Command11", {80, 144, 217, 25}}, {"Label6", {16, 16, 369, 121}},
            {"Command3", {96, 272, 57, 57}},   {"Command4", {168, 272, 57, 57}},
            {"Command5", {240, 272, 57, 57}},  {"Command6", {312, 272, 57, 57}},
            {"Command2", {400, 328, 97, 33}},  {"Command1", {200, 136, 145, 33}},
            {"Label4", {104, 136, 297, 73}},   {"Label3", {96, 328, 273, 33}},
            {"Label1", {0, 368, 505, 25}},     {"Shape1", {168, 80, 169, 169}},
            {"Shape2", {168, 80, 169, 169}},   {"Shape3", {168, 80, 169, 169}},
            {"Shape4", {168, 80, 169, 169}},   {"Shape9", {168, 80, 169, 169}},
        };
        for (const auto& [name, rect] : rows)
            QTest::newRow(name) << QString::fromLatin1(name) << rect;
    }
    void geometry()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        FormFixture f;
        QWidget* widget = child(*f.form, name.toLatin1().constData());
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), rect);
    }

    void windowFrame()
    {
        FormFixture f;
        Form1& w = *f.form;
        QCOMPARE(w.windowTitle(), QStringLiteral("Training für die kleinen grauen Zellen"));
        QCOMPARE(w.centralWidget()->size(), QSize(505, 390));
        const Qt::WindowFlags flags = w.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QCOMPARE(w.height(), w.menuBar()->height() + 390);
        QVERIFY(!w.menuBar()->isNativeMenuBar());
        // Centred on its screen.
        const QRect screen = w.screen()->availableGeometry();
        // (The frame's size is known only once the window is shown.)
        QVERIFY(qAbs(w.frameGeometry().center().x() - screen.center().x()) <= 3);
        QVERIFY(qAbs(w.frameGeometry().center().y() - screen.center().y()) <= 3);
        // The focus starts on Start.
        QCOMPARE(QApplication::focusWidget(), w.Command1);
        QVERIFY(!w.windowIcon().isNull());
        QVERIFY(w.windowIcon().availableSizes().contains(QSize(16, 16)));
        QVERIFY(w.windowIcon().availableSizes().contains(QSize(32, 32)));
    }

    void colours_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("colour");
        const std::pair<const char*, QColor> rows[] = {
            {"Shape1", QColor(0, 255, 0)},        {"Shape2", QColor(255, 0, 0)},
            {"Shape3", QColor(0, 0, 255)},        {"Shape4", QColor(255, 255, 0)},
            {"Shape9", QColor(0, 0, 0)},          {"Frame1", QColor(255, 255, 192)},
            {"Frame2", QColor(192, 255, 192)},    {"Frame3", QColor(0, 255, 255)},
            {"Frame4", QColor(255, 128, 0)},      {"Label1", QColor(255, 255, 192)},
            {"Label3", QColor(0, 0, 0)},          {"Label4", QColor(0, 0, 0)},
            {"Label2", QColor(255, 255, 192)},    {"Label5", QColor(0, 255, 255)},
            {"Label6", QColor(255, 128, 0)},      {"Command3", QColor(0, 255, 0)},
            {"Command4", QColor(255, 0, 0)},      {"Command5", QColor(0, 0, 255)},
            {"Command6", QColor(255, 255, 0)},    {"Command9", QColor(192, 255, 255)},
            {"Command10", QColor(192, 255, 255)}, {"Text1", QColor(0, 0, 128)},
        };
        for (const auto& [name, colour] : rows)
            QTest::newRow(name) << QString::fromLatin1(name) << colour;
    }
    void colours()
    {
        QFETCH(QString, name);
        QFETCH(QColor, colour);
        FormFixture f;
        QWidget* widget = child(*f.form, name.toLatin1().constData());
        widget->show();
        // Sampled inside, away from borders and text.
        const QPoint where(widget->width() - 6, widget->height() - 6);
        QCOMPARE(pixelAt(widget, where).rgb(), colour.rgb());
    }

    void centralBackgroundIsBlack()
    {
        FormFixture f;
        QCOMPARE(pixelAt(f.form->centralWidget(), QPoint(10, 10)).rgb(), QColor(Qt::black).rgb());
        // The menu bar keeps the theme's light colour.
        QVERIFY(pixelAt(f.form->menuBar(), QPoint(2, 2)).lightness() > 128);
    }

    void stacking()
    {
        FormFixture f;
        Form1& w = *f.form;
        // Later children lie on top; the first named in the design lies on top.
        const QList<QWidget*> topFirst = {
            w.Frame4,   w.Frame3,   w.Frame2,   w.Frame1,   w.Command3, w.Command6,
            w.Command5, w.Command4, w.Command2, w.Command1, w.Label4,   w.Label3,
            w.Label1,   w.Shape9,   w.Shape4,   w.Shape3,   w.Shape1,   w.Shape2};
        const QObjectList order = w.centralWidget()->children();
        for (int i = 0; i + 1 < topFirst.size(); ++i)
            QVERIFY2(order.indexOf(topFirst[i]) > order.indexOf(topFirst[i + 1]),
                     qPrintable(topFirst[i]->objectName()));
        const std::pair<QWidget*, QWidget*> inPanels[] = {
            {w.Command11, w.Label6}, {w.Text1, w.Command9}, {w.Command9, w.Command10},
            {w.Command10, w.Label5}, {w.Command8, w.List1}, {w.Command7, w.Label2}};
        for (const auto& [upper, lower] : inPanels) {
            const QObjectList siblings = upper->parentWidget()->children();
            QVERIFY2(siblings.indexOf(upper) > siblings.indexOf(lower),
                     qPrintable(upper->objectName()));
        }
    }

    void panelsCoverStart()
    {
        FormFixture f;
        Form1& w = *f.form;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QPoint startCentre = w.Command1->geometry().center();
        for (Panel* panel : {w.Frame1, w.Frame2, w.Frame3, w.Frame4}) {
            panel->show();
            QVERIFY(panel->geometry().contains(w.Command1->geometry()));
            QWidget* top = w.centralWidget()->childAt(startCentre);
            QVERIFY2(top != w.Command1, qPrintable(panel->objectName()));
            panel->hide();
        }
        // With several panels open the help lies on top.
        w.Frame3->show();
        w.Frame4->show();
        QWidget* top = w.centralWidget()->childAt(startCentre);
        QVERIFY(top == w.Frame4 || w.Frame4->isAncestorOf(top));
    }

    void tabOrder()
    {
        FormFixture f;
        Form1& w = *f.form;
        const QList<QWidget*> expected = {
            w.Command1, w.Command2, w.Command4,  w.Command5, w.Command6, w.Command3, w.Command7,
            w.List1,    w.Command8, w.Command10, w.Command9, w.Text1,    w.Command11};
        QList<QWidget*> chain;
        QWidget* next = w.Command1;
        do {
            if (expected.contains(next))
                chain.append(next);
            next = next->nextInFocusChain();
        } while (next != w.Command1 && chain.size() < expected.size());
        QCOMPARE(chain, expected);
        // Labels take no focus.
        for (QLabel* label :
             {w.Label1, w.Label2, w.Label3, w.Label4, w.Label5, static_cast<QLabel*>(w.Label6)})
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }

    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const std::pair<const char*, QString> rows[] = {
            {"Command1", QStringLiteral("Dann lass uns mal anfangen")},
            {"Command2", QStringLiteral("Abbrechen")},
            {"Command3", QStringLiteral("GRÜN")},
            {"Command4", QStringLiteral("ROT")},
            {"Command5", QStringLiteral("BLAU")},
            {"Command6", QStringLiteral("GELB")},
            {"Command7", QStringLiteral("OK")},
            {"Command8", QStringLiteral("ok")},
            {"Command9", QStringLiteral("schon erledigt")},
            {"Command10", QStringLiteral("abbrechen")},
            {"Command11", QStringLiteral("alles klar, hab's schon kapiert")},
            {"Label2", QStringLiteral("Label2")},
            {"Label3", QStringLiteral("Label3")},
            {"Label4", QStringLiteral("Ich hoffe Sie haben sich alles gemerkt! Nun sind Sie am "
                                      "Zug. Klicken Sie nun in der richtigen Reihenfolge auf "
                                      "die unteren Farbkasten.")},
            {"Label5", QStringLiteral("Tragen Sie hier Ihren Namen ein")},
            {"Label6", helpText},
            // What a screen reader says of the squares, and the keys it names for the buttons.
            {"Shape1.accessibleName", QStringLiteral("Grün")},
            {"Shape2.accessibleName", QStringLiteral("Rot")},
            {"Shape3.accessibleName", QStringLiteral("Blau")},
            {"Shape4.accessibleName", QStringLiteral("Gelb")},
            {"Shape9.accessibleName", QStringLiteral("Schwarz")},
            {"Command3.accessibleDescription", QStringLiteral("Taste 1")},
            {"Command4.accessibleDescription", QStringLiteral("Taste 2")},
            {"Command5.accessibleDescription", QStringLiteral("Taste 3")},
            {"Command6.accessibleDescription", QStringLiteral("Taste 4")},
            {"Command2.accessibleDescription", QStringLiteral("Taste Esc")},
        };
        for (const auto& [name, text] : rows)
            QTest::newRow(name) << QString::fromLatin1(name) << text;
    }
    void captions()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        FormFixture f;
        // "Control" means its text, "Control.property" that property.
        const QStringList parts = name.split(QLatin1Char('.'));
        QObject* widget = child(*f.form, parts[0].toLatin1().constData());
        QCOMPARE(widget->property(parts.size() > 1 ? qPrintable(parts[1]) : "text").toString(),
                 text);
    }

    // The help text as painted: its second paragraph on a line of its own, pixel for pixel as
    // the two paragraphs drawn apart would be.
    void helpTextBreaksBeforeItsSecondPart()
    {
        QCOMPARE(helpText.size(), 418);
        FormFixture f;
        HelpLabel* label = f.form->Label6;
        f.form->Frame4->show();
        QImage expected(label->size(), QImage::Format_ARGB32_Premultiplied);
        expected.fill(QColor(255, 128, 0));
        QPainter painter(&expected);
        painter.setFont(label->font());
        painter.drawText(label->contentsRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                         helpText.section(QString(70, QLatin1Char(' ')), 0, 0) + QLatin1Char('\n') +
                             helpText.section(QString(70, QLatin1Char(' ')), 1));
        painter.end();
        QCOMPARE(label->grab().toImage().convertToFormat(expected.format()), expected);
    }

    // The etched line of the two framed panels: a grey groove with a white edge inside it, and
    // Frame3's caption set into its top line. Negative places count from the right or bottom.
    void etchedPanels_data()
    {
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QPoint>("place");
        QTest::addColumn<QColor>("colour");
        const QColor grey(128, 128, 128), white(Qt::white);
        QTest::newRow("Frame4 top left") << "Frame4" << QPoint(0, 0) << grey;
        QTest::newRow("Frame4 inner edge") << "Frame4" << QPoint(1, 1) << white;
        QTest::newRow("Frame4 bottom right") << "Frame4" << QPoint(-2, -2) << grey;
        QTest::newRow("Frame4 outer edge") << "Frame4" << QPoint(-1, -1) << white;
        QTest::newRow("Frame3 line left of caption") << "Frame3" << QPoint(1, 6) << grey;
        QTest::newRow("Frame3 its inner edge") << "Frame3" << QPoint(2, 7) << white;
        QTest::newRow("Frame3 line right of caption") << "Frame3" << QPoint(-2, 6) << grey;
        QTest::newRow("Frame3 bottom right") << "Frame3" << QPoint(-2, -2) << grey;
    }
    void etchedPanels()
    {
        QFETCH(QString, panel);
        QFETCH(QPoint, place);
        QFETCH(QColor, colour);
        FormFixture f;
        auto* frame = f.form->findChild<Panel*>(panel);
        frame->show();
        const QImage image = frame->grab().toImage();
        const QPoint at((place.x() + image.width()) % image.width(),
                        (place.y() + image.height()) % image.height());
        QCOMPARE(image.pixelColor(at).rgb(), colour.rgb());
        if (panel != QLatin1String("Frame3"))
            return;
        // The caption stands in the line: text above and below it, and no groove through it.
        const QRect caption = frame->captionRect();
        bool above = false, below = false, groove = false;
        for (int x = caption.left() + 1; x < caption.right(); ++x) {
            for (int y = caption.top(); y <= caption.bottom(); ++y) {
                const QColor pixel = image.pixelColor(x, y);
                above = above || (y < 6 && pixel.green() < 64);
                below = below || (y > 6 && pixel.green() < 64);
                groove = groove || (y == 6 && pixel.red() == 128);
            }
        }
        QVERIFY(above && below && !groove);
    }

    void menu()
    {
        FormFixture f;
        Form1& w = *f.form;
        const QList<QAction*> bar = w.menuBar()->actions();
        QCOMPARE(bar.size(), 4);
        QCOMPARE(bar[0]->text(), QStringLiteral("Einstellung"));
        QCOMPARE(bar[1], w.hilf);
        QCOMPARE(bar[2], w.best);
        QCOMPARE(bar[3], w.kl);
        QCOMPARE(w.hilf->text(), QStringLiteral("Wie geht das nun"));
        QCOMPARE(w.best->text(), QStringLiteral("Bestenliste"));
        QCOMPARE(w.kl->text(), QStringLiteral("Keine Lust mehr"));
        QCOMPARE(w.es->actions(), (QList<QAction*>{w.egeschw->menuAction(), w.anz->menuAction(),
                                                   w.farbnamen, w.toene}));
        QCOMPARE(w.egeschw->title(), QStringLiteral("Einblendungsgeschwindigkeit"));
        QCOMPARE(w.anz->title(), QStringLiteral("Anzahl "));
        QCOMPARE(w.egeschw->actions(), (QList<QAction*>{w.schnell, w.mittel, w.langsam}));
        QCOMPARE(w.anz->actions(), (QList<QAction*>{w.es5, w.es10, w.es20, w.es30, w.es40, w.es50,
                                                    w.selbst, w.spanne}));
        const std::pair<QAction*, QString> captions[] = {
            {w.schnell, QStringLiteral("schnell")},
            {w.mittel, QStringLiteral("mittel")},
            {w.langsam, QStringLiteral("langsam")},
            {w.es5, QStringLiteral("5 ")},
            {w.es10, QStringLiteral("10")},
            {w.es20, QStringLiteral("20")},
            {w.es30, QStringLiteral("30")},
            {w.es40, QStringLiteral("40")},
            {w.es50, QStringLiteral("50")},
            {w.selbst, QStringLiteral("will ich sebst bestimmen")},
            {w.spanne, QStringLiteral("Spanne messen")},
            {w.farbnamen, QStringLiteral("Farbnamen zeigen")},
            {w.toene, QStringLiteral("Töne spielen")}};
        for (const auto& [item, caption] : captions) {
            QCOMPARE(item->text(), caption);
            QVERIFY(item->isCheckable());
            QCOMPARE(item->isChecked(), item == w.mittel || item == w.es5);
            QVERIFY(item->shortcut().isEmpty());
        }
        // A screen reader names each item of "Einstellung" by its caption.
        QAccessibleInterface* settings = QAccessible::queryAccessibleInterface(w.es);
        QVERIFY(settings && settings->childCount() == 4);
        QCOMPARE(settings->child(2)->text(QAccessible::Name), QStringLiteral("Farbnamen zeigen"));
        QCOMPARE(settings->child(3)->text(QAccessible::Name), QStringLiteral("Töne spielen"));
    }

    void fontsAndCaptionsFit()
    {
        if (QFontInfo(app::gameFont(app::standardPx)).family() != QLatin1String("Liberation Sans"))
            GZ_SKIP("Liberation Sans is not installed; caption widths depend on the face");
        FormFixture f;
        Form1& w = *f.form;
        QCOMPARE(w.Label1->font().pixelSize(), 16);
        QCOMPARE(w.Label4->font().pixelSize(), 13);
        QVERIFY(w.Label4->font().bold());
        QVERIFY(!w.Label6->font().bold());
        // Buttons: one line, with room for the frame.
        for (QPushButton* button : w.findChildren<QPushButton*>()) {
            const int needed = QFontMetrics(button->font()).horizontalAdvance(button->text()) + 6;
            QVERIFY2(needed <= button->width(), qPrintable(button->objectName()));
        }
        // Labels: wrapped text within the rectangle.
        for (QLabel* label : w.findChildren<QLabel*>()) {
            const QString shown = label == w.Label6 ? w.Label6->shownText() : label->text();
            const QRect needed =
                QFontMetrics(label->font())
                    .boundingRect(QRect(0, 0, label->width(), 10000), Qt::TextWordWrap, shown);
            QVERIFY2(needed.height() <= label->height() && needed.width() <= label->width(),
                     qPrintable(label->objectName()));
        }
        // Label2's longest message, and the progress line for the longest length.
        for (const QString& text : {QStringLiteral("Das war leider ein Fehler, aber Sie haben  "
                                                   "499 richtig"),
                                    QStringLiteral("Super, Sie haben alles behalten!")}) {
            const QRect needed =
                QFontMetrics(w.Label2->font())
                    .boundingRect(QRect(0, 0, w.Label2->width(), 10000), Qt::TextWordWrap, text);
            QVERIFY(needed.height() <= w.Label2->height());
        }
        QVERIFY(QFontMetrics(w.Label3->font())
                    .horizontalAdvance(QStringLiteral(" 500 von 500 richtig")) <=
                w.Label3->width());
        QVERIFY(QFontMetrics(w.Label1->font())
                    .horizontalAdvance(QStringLiteral(
                        " Einstellung:  500 Farben merken bei langsamer Geschwindigkeit.")) <=
                w.Label1->width());
        // Frame3's caption stays inside its panel.
        QVERIFY(w.Frame3->captionRect().right() < w.Frame3->width());
        QVERIFY(w.Frame3->captionRect().left() >= 0);
    }

    void fileexistsOnlyForOrdinaryFiles()
    {
        FormFixture f;
        QVERIFY(!f.form->fileexists(f.scorePath()));
        QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("best.lst")));
        QVERIFY(!f.form->fileexists(f.scorePath()));
        QVERIFY(QDir(f.dir.path()).rmdir(QStringLiteral("best.lst")));
        QFile file(f.scorePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(f.form->fileexists(f.scorePath()));
        QVERIFY(!f.form->fileexists(QString()));
        QVERIFY(!f.form->fileexists(f.dir.filePath(QStringLiteral("nirgends/best.lst"))));
        QVERIFY(!f.form->fileexists(QString::fromLatin1("bad\0name", 8)));
    }
};

GZ_TEST_MAIN(WindowTest)
#include "tst_window.moc"
