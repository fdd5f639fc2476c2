#pragma once

#include "app/appsetup.h"

#include <QApplication>
#include <QTest>

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
