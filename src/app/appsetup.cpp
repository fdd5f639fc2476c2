#include "app/appsetup.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTranslator>

static void loadResources()
{
    // The resources live in a static library, so the linker needs to be told to keep them.
    Q_INIT_RESOURCE(resources);
}

namespace app
{

QFont gameFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("Arial"), QStringLiteral("Helvetica"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QIcon applicationIcon()
{
    loadResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/graue-zellen-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/graue-zellen-32.png"), QSize(32, 32));
    // Sharp at a scale factor of 2 too.
    icon.addFile(QStringLiteral(":/icons/graue-zellen-64.png"), QSize(64, 64));
    return icon;
}

bool setupApplication(QApplication& application)
{
    // Named as its desktop entry, so that a desktop's task bar shows the running game as its
    // launcher: the Wayland app_id is the entry's id, the X11 window class is the program's name,
    // which the entry's StartupWMClass names, however the program was started.
    QGuiApplication::setDesktopFileName(QStringLiteral(GZ_APP_ID));
    QCoreApplication::setApplicationName(QStringLiteral(GZ_PROGRAM));
    // Fusion draws coloured faces and panels alike on every desktop.
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    application.setFont(gameFont(standardPx));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    auto* translator = new QTranslator(&application);
    if (translator->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
        return true;
    }
    delete translator;
    return false;
}

} // namespace app
