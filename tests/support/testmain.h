#pragma once

#include "app/appsetup.h"

#include <QApplication>
#include <QTest>

// A check that cannot run on this machine is skipped, but fails under CI: the scripts install
// all that the tests need there, and a skip would hide a check that never ran.
#define GZ_SKIP(reason)                                                                            \
    do {                                                                                           \
        if (qEnvironmentVariableIsSet("CI"))                                                       \
            QFAIL(reason " (CI is set: a skip counts as a failure)");                              \
        QSKIP(reason);                                                                             \
    } while (false)

// Like QTEST_MAIN, with the game's own style, fonts and translations in place.
#define GZ_TEST_MAIN(TestClass)                                                                    \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        QApplication application(argc, argv);                                                      \
        app::setupApplication(application);                                                        \
        QApplication::setWindowIcon(app::applicationIcon());                                       \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
