#include "platform/qtplatform.h"

#include "sound/pulseoutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace
{

// Both boxes size themselves to their contents, which may leave their title cut in the title bar.
// Window managers draw titles in a bold face about the size of the dialog's, beside the window
// icon and two or three buttons; a fifth more text width leaves room for a larger title face.
int titleRoom(const QWidget& box)
{
    QFont face = box.font();
    face.setBold(true);
    return QFontMetrics(face).horizontalAdvance(box.windowTitle()) * 6 / 5 + 120;
}

} // namespace

QtPlatform::QtPlatform() = default;
QtPlatform::~QtPlatform() = default;

Platform::Answer QtPlatform::messageBox(QWidget* parent, const QString& text, const QString& title,
                                        Buttons buttons, Icon icon)
{
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                    text, QMessageBox::NoButton, parent);
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    // A row of its own across the box's grid, so that icon and text keep their places.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(titleRoom(box), 0), grid->rowCount(), 0, 1,
                      grid->columnCount());
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
}

QString QtPlatform::inputBox(QWidget* parent, const QString& prompt, const QString& title,
                             const QString& preset)
{
    QInputDialog box(parent);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(preset);
    box.setInputMode(QInputDialog::TextInput);
    // No "?" help button in the title bar.
    box.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Its layout comes into being only when shown; its label is there already.
    if (auto* label = box.findChild<QLabel*>())
        label->setMinimumWidth(titleRoom(box));
    if (box.exec() != QDialog::Accepted)
        return {};
    return box.textValue();
}

void QtPlatform::seedRandom()
{
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    generator.seed(static_cast<std::mt19937::result_type>(now ^ (now >> 32)));
}

float QtPlatform::nextRandom()
{
    // 24 random bits scaled by 2^-24 lie in [0, 1) exactly; a float distribution may round to 1.
    return static_cast<float>(generator() >> 8) * 0x1p-24f;
}

QString QtPlatform::programDirectory()
{
    return QCoreApplication::applicationDirPath();
}

QString QtPlatform::dataDirectory()
{
    // The XDG base directories: a relative path in the variable is to be ignored.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base) + QStringLiteral("/" GZ_PROGRAM);
}

QDateTime QtPlatform::now()
{
    return QDateTime::currentDateTime();
}

void QtPlatform::endProgram()
{
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

void QtPlatform::openSound(std::function<void(SoundTrouble)> trouble)
{
    if (!output)
        output = std::make_unique<sound::PulseOutput>();
    output->open(std::move(trouble));
}

void QtPlatform::playSound(Sound sound, int colour)
{
    if (output)
        output->play(sound, colour);
}

void QtPlatform::closeSound()
{
    if (output)
        output->close();
}
