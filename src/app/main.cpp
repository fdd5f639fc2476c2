#include "app/appsetup.h"
#include "app/form1.h"
#include "platform/qtplatform.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace
{

bool displayAvailable()
{
    const QByteArray platformName = qgetenv("QT_QPA_PLATFORM");
    if (!platformName.isEmpty() && !platformName.startsWith("xcb") &&
        !platformName.startsWith("wayland"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char* argv[])
{
    if (!displayAvailable()) {
        std::fputs(
            "graue-zellen: no display found (DISPLAY is not set); try: xvfb-run scripts/run\n",
            stderr);
        return EXIT_FAILURE;
    }
    QApplication application(argc, argv);
    app::setupApplication(application);
    QtPlatform platform;
    Form1 window(platform);
    window.readoptions(QCoreApplication::arguments());
    window.show();
    QTimer::singleShot(0, &application,
                       [] { QApplication::setWindowIcon(app::applicationIcon()); });
    return QApplication::exec();
}
