// Widget tests need one application object for the whole run. It is made
// when the tests start, not when CTest lists them, so that listing needs no
// platform plugin.
#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { application.reset(); }

private:
    int argc = 1;
    char name[16] = "ViewerUiTests";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> application;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);
    return RUN_ALL_TESTS();
}
