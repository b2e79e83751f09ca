// Widget tests need one application object for the whole run. It is made
// only when the tests run, not when CTest lists them, so that listing needs no
// platform plugin.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int appArgc = 1;
    char name[] = "ViewerUiTests";
    char* appArgv[] = {name, nullptr};
    QApplication application(appArgc, appArgv);
    return RUN_ALL_TESTS();
}
