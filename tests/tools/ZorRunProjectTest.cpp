// A suite as a project runs it: zorrun.toml found from a folder below, folders
// standing for their scripts, and modules that must load before anything runs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ZorRunFixture.h"

namespace {

using zorruntest::summary;

class ZorRunProjectTest : public zorruntest::ZorRunFixture {
protected:
    ZorRunProjectTest() {
        std::filesystem::create_directories(dir.file("suite/sub"));
        std::filesystem::create_directories(dir.file("suite/.cache"));
        std::filesystem::create_directories(dir.file("work"));
        write("suite/b.zor.txt", script("b"));
        write("suite/sub/a.zor.txt", script("a"));
        write("suite/.cache/hidden.zor.txt", script("hidden"));
        write("suite/notes.txt", script("notes"));
    }
    static std::string script(const std::string& name) {
        return "resultfile \"" + name + "_out.txt\"\nzortst { a = 1 verify: a == 1 }\n";
    }
    zorruntest::ChildResult runIn(const std::string& folder, std::vector<std::string> args) const {
        args.insert(args.begin(), ZORRUN_PATH);
        return zorruntest::PipedChild(args, dir.file(folder)).finish();
    }
};

// Sorted, recursive, hidden folders and other names passed over (a folder
// with nothing to run is the hostile input test's).
TEST_F(ZorRunProjectTest, AFolderStandsForTheScriptsBeneathIt) {
    auto run = zorRun({"-q", "suite/"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, summary(2, 0));
    run = zorRun({"--list", "suite"});
    EXPECT_EQ(run.out, "suite/b.zor.txt:2: zortst 22\nsuite/sub/a.zor.txt:2: zortst 22\n");
}

// Found from a folder below it; its paths are read from its own folder, its
// report folder is made, and the command line wins over its values.
TEST_F(ZorRunProjectTest, TheProjectFileGivesDefaultsThatTheCommandLineOverrides) {
    write("zorrun.toml",
          "scripts = [\"suite\"]\npattern = \"*.txt\"\njunit = \"reports/unit.xml\"\n"
          "jobs = \"auto\"\ntimeout = 60\n");
    auto run = runIn("work", {"-q"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, summary(3, 0));
    EXPECT_NE(read("reports/unit.xml").find("suite/notes.txt"), std::string::npos);
    run = runIn("work", {"-q", "--no-fork", "../suite/b.zor.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, summary(1, 0));
}

// A project file is refused whole, with the place of its fault; one that other
// users may write would let them load code into this user's runs.
TEST_F(ZorRunProjectTest, AFaultyOrForeignProjectFileStopsTheRun) {
    const std::pair<const char*, const char*> cases[] = {
        {"jobz = 2\n", "ZorRun: ../zorrun.toml:1:1: unknown key 'jobz'\n"},
        {"modules = \"x.so\"\n", "ZorRun: ../zorrun.toml:1:11: modules expects a list of names\n"},
    };
    for (const auto& [text, error] : cases) {
        write("zorrun.toml", text);
        const auto run = runIn("work", {});
        EXPECT_EQ(run.status, 2) << text;
        EXPECT_TRUE(run.err.starts_with(error)) << run.err;
        EXPECT_EQ(run.out, "");
    }
    write("zorrun.toml", "scripts = [\"suite\"]\n");
    chmod(dir.file("zorrun.toml").c_str(), 0666);
    const auto run = runIn("work", {});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "ZorRun: ../zorrun.toml: not used: it may be written by other users\n");
}

// Tests whose functions are missing would fail one by one and append their
// reports: no script runs, and the loader says why.
TEST_F(ZorRunProjectTest, AModuleThatCannotLoadStopsTheRunBeforeAnyScript) {
    write("notlib.so", "this is not a shared library\n");
    const auto run = zorRun({"--load", "missing.so", "--load", "notlib.so", "--load",
                             ZOR_EMPTY_MODULE, "--junit", "r.xml", "suite"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(
        run.err.starts_with("missing.so: cannot load module: No such file or directory\n"
                            "notlib.so: cannot load module: not a loadable shared library ("))
        << run.err;
    EXPECT_TRUE(run.err.ends_with(std::string(ZOR_EMPTY_MODULE) +
                                  ": cannot load module: registers no test function\n"
                                  "no script ran: every module must load\n"))
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("suite/b_out.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("r.xml")));
}

}  // namespace

// A test function's own failure is a failed test with its reason, told alike
// on the console and in the report; inputs are never converted behind its back.
TEST(ZorRunHelperTest, AFunctionFailsItsTestWithAReason) {
    zortest::TempDir dir;
    zortest::writeFile(dir.file("add.zor.txt"),
                       "resultfile \"add_out.txt\"\n"
                       "add { a = 2 b = 3 verify: sum == 5 }\n"
                       "add { a = 2 verify: sum == 2 }\n"
                       "add { a = \"2\" b = 1.5 verify: sum == 3 }\n");
    const auto run =
        zorruntest::PipedChild({ZORRUN_PATH, "--load", ZOR_EXAMPLE_MODULE, "add.zor.txt"},
                               dir.path().string())
            .finish();
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out,
              "== add.zor.txt\n"
              "add 24 (add.zor.txt:2): ok (add_out.txt)\n"
              "add 60 (add.zor.txt:3): FAIL (add_out.txt)\n"
              "    expected sum == 2, actual undefined\n"
              "    expected failure == \"\", actual \"input b is missing\"\n"
              "add 90 (add.zor.txt:4): FAIL (add_out.txt)\n"
              "    expected sum == 3, actual undefined\n"
              "    expected failure == \"\", actual \"input a is a string, not an int; input b is "
              "a double, not an int\"\n" +
                  summary(1, 2));
}
