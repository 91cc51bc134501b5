#pragma once
// Test main for tests that need the program's Application object. The settings sandbox is set up
// before the Application is built, because its constructor already reads the reference settings.
// Include after testenv.h, with the test linked against qv_appcore.

#include "appcore/application.h"
#include "testenv.h"

#define QV_TEST_MAIN_APPLICATION(TestObject)                                                       \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        testenv::SettingsSandbox sandbox;                                                          \
        Application app(argc, argv);                                                               \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        testenv::prepareApplication();                                                             \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return testenv::runTests(&tc, argc, argv);                                                 \
    }
