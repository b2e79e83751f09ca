#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <regex>

#include "ZorRunFixture.h"

namespace {

class ZorRunJobsTest : public zorruntest::ZorRunFixture {
protected:
    // Scripts whose output files are shared in several ways: by name, by
    // other spellings of it, by a name made of parts, and not at all. Scripts
    // that share a file and ran at once would interleave their blocks in it.
    std::vector<std::string> mixedScripts() {
        const std::string tests =
            "\nzortst { a = 1 verify: a == 1 }\nzortst { b = 2 verify: b == 3 }\n"
            "stay { }\nzortst { c = 3 verify: c == 3 }\n";
        mkdir(dir.file("sub").c_str(), 0755);
        return {write("a.txt", "resultfile \"one.txt\"" + tests),
                write("b.txt", "resultfile \"sub/../two.txt\"" + tests),
                write("c.txt", "resultfile \"./one.txt\"" + tests),
                write("d.txt", "resultfile (\"tw\" \"o.txt\")" + tests),
                write("e.txt", "// resultfile \"one.txt\"\nresultfile \"three.txt\"" + tests)};
    }

    zorruntest::ChildResult runJobs(const std::string& jobs,
                                    const std::vector<std::string>& scripts,
                                    std::vector<std::string> more = {}) {
        for (const char* name :
             {"one.txt", "two.txt", "three.txt", "stays.log", "report.json", ".zorrun/lastfailed"})
            std::remove(dir.file(name).c_str());
        std::vector<std::string> args{"-j",      jobs,         "--load", ZOR_TEST_MODULE,
                                      "--junit", "report.xml", "--json", "report.json"};
        args.insert(args.end(), more.begin(), more.end());
        args.insert(args.end(), scripts.begin(), scripts.end());
        return zorRun(args);
    }

    // The output files, the failures kept and the reports, but for times and
    // the start, which two runs do not share.
    std::string writtenFiles() {
        const std::string json = std::regex_replace(
            read("report.json"), std::regex("\"duration\":[0-9.e+-]*"), "\"duration\":");
        return read("one.txt") + "|" + read("two.txt") + "|" + read("three.txt") + "|" +
               read(".zorrun/lastfailed") + "|" +
               std::regex_replace(read("report.xml"), std::regex(" time=\"[0-9.]*\""), "") +
               std::regex_replace(json, std::regex("\"startTime\":\"[^\"]*\""), "\"startTime\":");
    }
};

// Each script runs twice: five scripts of three passed and one failed test,
// each repeated run counted and named.
TEST_F(ZorRunJobsTest, SeveralJobsWriteWhatOneJobWrites) {
    const std::vector<std::string> scripts = mixedScripts();
    const auto one = runJobs("1", scripts, {"--repeat", "2"});
    EXPECT_TRUE(one.out.ends_with(zorruntest::summary(30, 10))) << one.out;
    EXPECT_EQ(query("count(//testsuite[contains(@name, ' (run 2/2)')])"), "5");
    const std::string written = writtenFiles();
    const auto three = runJobs("3", scripts, {"--repeat", "2"});
    EXPECT_EQ(three.status, one.status);
    EXPECT_EQ(three.out, one.out);
    EXPECT_EQ(three.err, one.err);
    EXPECT_EQ(writtenFiles(), written);
}

// Shards split the scripts by sorted name; more shards than scripts leave some empty.
TEST_F(ZorRunJobsTest, ShardsCoverEveryScriptOnce) {
    std::vector<std::string> scripts;
    for (const char* name : {"g.txt", "b.txt", "e.txt", "a.txt", "f.txt", "c.txt", "d.txt"})
        scripts.push_back(
            write(name, "resultfile \"" + std::string(name) + ".out\"\nzortst { }\n"));
    const auto shard = [&](const std::string& which) {
        std::vector<std::string> args{"--shard", which};
        args.insert(args.end(), scripts.begin(), scripts.end());
        return zorRun(args).out;
    };
    const std::string out = shard("0/3") + shard("1/3") + shard("2/3");
    for (const std::string& script : scripts) {
        const std::size_t at = out.find("== " + script + "\n");
        EXPECT_NE(at, std::string::npos) << script;
        EXPECT_EQ(out.find("== " + script + "\n", at + 1), std::string::npos) << script;
    }
    EXPECT_NE(shard("8/9").find("shard 8/9 has no scripts\n"), std::string::npos);
}

}  // namespace
