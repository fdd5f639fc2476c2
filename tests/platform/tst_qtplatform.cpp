#include "support/testmain.h"

#include "platform/qtplatform.h"

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <QTemporaryDir>

#include <functional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

// Runs the check on the modal box once it is up, then lets the box be answered.
void whenModal(std::function<void(QWidget*)> check)
{
    QTimer::singleShot(0, [check] {
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeModalWidget() != nullptr, 30000);
        check(QApplication::activeModalWidget());
    });
}

// Room for the whole title in a window manager's title bar: its bold text, the window icon and
// the frame's buttons.
bool titleFits(const QWidget* box)
{
    QFont bold = box->font();
    bold.setBold(true);
    return box->width() >= QFontMetrics(bold).horizontalAdvance(box->windowTitle()) + 100;
}

QStringList buttonTexts(QWidget* box)
{
    QStringList texts;
    for (QAbstractButton* button : box->findChildren<QDialogButtonBox*>().first()->buttons())
        texts << button->text().remove(QLatin1Char('&'));
    texts.sort();
    return texts;
}

} // namespace

class QtPlatformTest : public QObject
{
    Q_OBJECT
private slots:
    void quitQuestion()
    {
        QtPlatform platform;
        QString title, text;
        QStringList buttons;
        bool yesIsDefault = false, fits = false;
        QMessageBox::Icon icon = QMessageBox::Warning;
        whenModal([&](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = buttonTexts(box);
            yesIsDefault = box->defaultButton() == box->button(QMessageBox::Yes);
            fits = titleFits(box);
            box->button(QMessageBox::No)->click();
        });
        const auto answer = platform.messageBox(nullptr, QStringLiteral("Wirklich beenden?"),
                                                QStringLiteral("Ich frage lieber mal nach?"),
                                                Platform::Buttons::YesNo, Platform::Icon::None);
        QCOMPARE(answer, Platform::Answer::No);
        QCOMPARE(title, QStringLiteral("Ich frage lieber mal nach?"));
        QCOMPARE(text, QStringLiteral("Wirklich beenden?"));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QVERIFY(yesIsDefault);
        QVERIFY(fits);
        QCOMPARE(buttons, (QStringList{"Ja", "Nein"}));

        // Enter takes the default, Yes.
        whenModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
        QCOMPARE(platform.messageBox(nullptr, QStringLiteral("Wirklich beenden?"),
                                     QStringLiteral("Ich frage lieber mal nach?"),
                                     Platform::Buttons::YesNo, Platform::Icon::None),
                 Platform::Answer::Yes);
    }

    void noticeBox()
    {
        QtPlatform platform;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
        whenModal([&](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            QVERIFY(box);
            icon = box->icon();
            buttons = buttonTexts(box);
            box->button(QMessageBox::Ok)->click();
        });
        QCOMPARE(platform.messageBox(nullptr,
                                     QStringLiteral("Es ist leider noch kein Eintrag vorhanden"),
                                     QStringLiteral("Na sowas"), Platform::Buttons::Ok,
                                     Platform::Icon::Exclamation),
                 Platform::Answer::Ok);
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, QStringList{"OK"});
    }

    void inputBox()
    {
        QtPlatform platform;
        QString title, label, preset;
        QStringList buttons;
        bool fits = false;
        whenModal([&](QWidget* widget) {
            auto* box = qobject_cast<QInputDialog*>(widget);
            QVERIFY(box);
            title = box->windowTitle();
            label = box->labelText();
            preset = box->textValue();
            buttons = buttonTexts(box);
            fits = titleFits(box);
            box->findChild<QLineEdit*>()->setText(QStringLiteral("77"));
            box->accept();
        });
        QCOMPARE(platform.inputBox(nullptr, QStringLiteral("Bitte eine Zahl eingeben"),
                                   QStringLiteral("50 ist Ihnen also noch zu wenig"),
                                   QStringLiteral("60")),
                 QStringLiteral("77"));
        QCOMPARE(title, QStringLiteral("50 ist Ihnen also noch zu wenig"));
        QCOMPARE(label, QStringLiteral("Bitte eine Zahl eingeben"));
        QCOMPARE(preset, QStringLiteral("60"));
        QCOMPARE(buttons, (QStringList{"Abbrechen", "OK"}));
        QVERIFY(fits);

        whenModal([](QWidget* box) { qobject_cast<QDialog*>(box)->reject(); });
        QVERIFY(platform
                    .inputBox(nullptr, QStringLiteral("Bitte eine Zahl eingeben"),
                              QStringLiteral("50 ist Ihnen also noch zu wenig"),
                              QStringLiteral("60"))
                    .isEmpty());
    }

    void nameBoxContextMenuIsGerman()
    {
        QLineEdit edit;
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << action->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0);
        QVERIFY2(texts.contains(QStringLiteral("Einfügen")), qPrintable(texts.join(',')));
    }

    // Where no server answers, the sound says so later, once, as a fact for the game to put into
    // words; a sound asked for meanwhile is not heard and does no harm. "silent" is a server that
    // takes the connection and never answers.
    void soundWithoutAServer_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<int>("trouble");
        QTest::newRow("none") << "none" << int(Platform::SoundTrouble::NoServer);
        QTest::newRow("silent") << "silent" << int(Platform::SoundTrouble::NoAnswer);
    }
    void soundWithoutAServer()
    {
        QFETCH(QString, server);
        QFETCH(int, trouble);
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("native")));
        const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (server == QLatin1String("silent")) {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
            QVERIFY(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
            QVERIFY(::listen(listening, 4) == 0);
        }
        qputenv("PULSE_SERVER", "unix:" + path);
        QList<int> troubles;
        {
            QtPlatform platform;
            platform.openSound([&](Platform::SoundTrouble t) { troubles << int(t); });
            platform.playSound(Platform::Sound::Tone, 1);
            QVERIFY(troubles.isEmpty());
            QTRY_COMPARE_WITH_TIMEOUT(troubles, QList<int>{trouble}, 60000);
            platform.closeSound();
            QTest::qWait(100);
        }
        ::close(listening);
        qunsetenv("PULSE_SERVER");
        QCOMPARE(troubles.size(), 1);
    }

    void randomValuesStayBelowOne()
    {
        QtPlatform platform;
        platform.seedRandom();
        float lowest = 1, highest = 0;
        for (int i = 0; i < 100000; ++i) {
            const float r = platform.nextRandom();
            QVERIFY(r >= 0.0f && r < 1.0f);
            lowest = std::min(lowest, r);
            highest = std::max(highest, r);
        }
        QVERIFY(lowest < 0.01f && highest > 0.99f);
        QVERIFY(!platform.programDirectory().endsWith(QLatin1Char('/')));
        QCOMPARE(platform.programDirectory(), QCoreApplication::applicationDirPath());
    }
};

GZ_TEST_MAIN(QtPlatformTest)
#include "tst_qtplatform.moc"
