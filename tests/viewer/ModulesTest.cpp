// Modules of native test functions loaded into the dialog, and the settings
// that a later session finds again.
#include <QSettings>

#include <string>
#include <vector>

#include "DialogFixture.h"
#include "ViewerSettings.h"

using ModulesTest = DialogFixture;

// Until its module is loaded the bundled example finds none of its functions.
// A file that is no module changes nothing but the status line.
TEST_F(ModulesTest, TheBundledExampleRunsOnceItsModuleIsLoaded) {
    writeFile("in.txt", readFile(ZOR_EXAMPLE_SCRIPT));
    click("reread");
    click("run");
    const QString report = output()->toPlainText();
    EXPECT_TRUE(report.contains("unknown testfunction")) << report.toStdString();

    writeFile("bad.so", "not a module\n");
    dialog.loadModules({"bad.so", "missing.so"});
    EXPECT_THAT(status(),
                StartsWith("bad.so: cannot load module: not a loadable shared library ("));
    EXPECT_THAT(status(), HasSubstr("; missing.so: cannot load module: No such file"));
    EXPECT_TRUE(dialog.modules().paths().empty());
    EXPECT_EQ(output()->toPlainText(), report);

    dialog.loadModules({ZOR_EXAMPLE_MODULE, ZOR_EXAMPLE_MODULE});
    EXPECT_EQ(dialog.modules().paths(), std::vector<std::string>{ZOR_EXAMPLE_MODULE});
    click("run");
    EXPECT_FALSE(output()->toPlainText().contains("unknown testfunction"))
        << output()->toPlainText().toStdString();
}

// The connection itself is not remembered: the next session starts local.
TEST_F(ModulesTest, SettingsAreRememberedBetweenSessions) {
    const QString file = QString::fromStdString(dir.file("viewer.ini"));
    {
        QSettings settings(file, QSettings::IniFormat);
        dialog.remoteSession().setServer("dut", 6600);
        dialog.commands().traceSettings() = {"scope", 7};
        dialog.loadModules({ZOR_EXAMPLE_MODULE});
        dialog.setGeometry(40, 50, 900, 700);
        saveViewerSettings(dialog, settings);
    }
    QSettings settings(file, QSettings::IniFormat);
    ViewerDlg later(library);
    restoreViewerSettings(later, settings);
    EXPECT_EQ(later.remoteSession().address(), "dut:6600");
    EXPECT_FALSE(later.remoteSession().connected());
    EXPECT_EQ(later.commands().traceSettings().root, "scope");
    EXPECT_EQ(later.commands().traceSettings().depth, 7);
    EXPECT_EQ(later.modules().paths(), std::vector<std::string>{ZOR_EXAMPLE_MODULE});
    EXPECT_EQ(later.geometry().size(), QSize(900, 700));
}
