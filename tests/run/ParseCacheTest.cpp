#include <gtest/gtest.h>
#include <utime.h>

#include <ctime>
#include <string>

#include "RunFixture.h"

namespace {

class ParseCacheTest : public runtest::RunFixture {
protected:
    void SetUp() override { forgetCallback(); }

    std::string provider(const std::string& user) {
        return write("provider.txt", resultfile() + "extern login { user = \"" + user +
                                         "\" verify: status == 0 }\n"
                                         "other { x = 1 }\n");
    }
    static void setModified(const std::string& file, std::time_t when) {
        utimbuf times{when, when};
        ASSERT_EQ(utime(file.c_str(), &times), 0);
    }
    static std::string user() { return static_cast<char*>(Parse::getInStore()[0]["user"]); }
};

TEST_F(ParseCacheTest, ProviderServesAnExternTestAndComparesOnce) {
    const std::string script = provider("guest");
    EXPECT_EQ(Parse::readLoop(script.c_str(), "login"), 0);
    EXPECT_STREQ(Parse::getInStore()[0].getName(), "login");
    EXPECT_EQ(user(), "guest");
    EXPECT_EQ(Parse::getVerStore()[0].getType("==status"), 1);
    EXPECT_EQ(Parse::getLastOutFile(), dir.file("out.txt"));
    EXPECT_EQ(Parse::getCache().hasPrefix("login[0]"), 1);
    EXPECT_EQ(Parse::getCache().hasPrefix("other"), 0);  // test records are not collected

    Parse::getOutStore()["status"] = 0;
    EXPECT_EQ(Parse::closeLoop(), 0);
    const std::string block =
        "login\r\n{\r\n  verified:\r\n    status == 0\r\n  logged:\r\n}\r\n\r\n";
    EXPECT_EQ(output(), block);
    EXPECT_EQ(Parse::getOutStore().getData(nullptr), nullptr);
    EXPECT_EQ(Parse::closeLoop(), 0);
    EXPECT_EQ(output(), block);
}

TEST_F(ParseCacheTest, AbsentTestGivesEmptyRecords) {
    EXPECT_EQ(Parse::readLoop(provider("guest").c_str(), "nobody"), 0);
    EXPECT_EQ(Parse::getInStore()[0].getData(nullptr), nullptr);
    EXPECT_EQ(Parse::getVerStore()[0].getData(nullptr), nullptr);
    EXPECT_STREQ(Parse::getLastOutFile(), "");
    EXPECT_EQ(Parse::closeLoop(), 0);  // no output file: nothing to do
}

TEST_F(ParseCacheTest, UnchangedFileIsNotParsedAgain) {
    const std::string script = provider("guest");
    ASSERT_EQ(Parse::readLoop(script.c_str(), "login"), 0);
    provider("admin");
    setModified(script, std::time(nullptr) - 100);
    EXPECT_EQ(Parse::readLoop(script.c_str(), "login"), 0);
    EXPECT_EQ(user(), "guest");

    setModified(script, std::time(nullptr) + 5);
    EXPECT_EQ(Parse::readLoop(script.c_str(), "login"), 0);
    EXPECT_EQ(user(), "admin");
}

TEST_F(ParseCacheTest, ModificationInTheCachedSecondCountsAsUnchanged) {
    const std::string script = provider("guest");
    std::time_t before, after;
    do {
        before = std::time(nullptr);
        ASSERT_EQ(Parse::readLoop(script.c_str(), "login"), 0);
        after = std::time(nullptr);
    } while (before != after);
    provider("admin");
    setModified(script, after);
    EXPECT_EQ(Parse::readLoop(script.c_str(), "login"), 0);
    EXPECT_EQ(user(), "guest");
}

TEST_F(ParseCacheTest, ErrorLineIsCachedToo) {
    const std::string script = write("broken.txt", resultfile() +
                                                       "extern login { user = \"guest\" }\n"
                                                       "a b{}\n");
    EXPECT_EQ(Parse::readLoop(script.c_str(), "login"), 3);
    EXPECT_EQ(Parse::readLoop(script.c_str(), "login"), 0);
    EXPECT_EQ(user(), "guest");
}

TEST_F(ParseCacheTest, MissingFileEmptiesTheCacheNameOnly) {
    const std::string script = provider("guest");
    ASSERT_EQ(Parse::readLoop(script.c_str(), "login"), 0);
    EXPECT_EQ(Parse::readLoop(dir.file("absent.txt").c_str(), "login"), -1);
    EXPECT_EQ(user(), "guest");  // served from the cache as it stood

    provider("admin");
    setModified(script, std::time(nullptr) - 100);
    EXPECT_EQ(Parse::readLoop(script.c_str(), "login"), 0);
    EXPECT_EQ(user(), "admin");  // parsed again
}

TEST_F(ParseCacheTest, ScriptRunInvalidatesTheCache) {
    const std::string script = provider("guest");
    ASSERT_EQ(Parse::readLoop(script.c_str(), "login"), 0);
    forgetCallback();  // a run empties the collected tests
    EXPECT_EQ(Parse::readLoop(script.c_str(), "login"), 0);
    EXPECT_EQ(user(), "guest");
}

TEST_F(ParseCacheTest, NameWithoutDotGetsTxt) {
    if (dir.path().string().find('.') != std::string::npos)
        GTEST_SKIP() << "the temporary folder's path has a dot";
    provider("guest");
    const std::string bare = dir.file("provider");
    EXPECT_EQ(Parse::readLoop(bare.c_str(), "login"), 0);
    EXPECT_EQ(user(), "guest");
}

TEST_F(ParseCacheTest, OverlongNamesAreRefusedUnchanged) {
    ASSERT_EQ(Parse::readLoop(provider("guest").c_str(), "login"), 0);
    const std::string noDot(Parse::entryNameSize - 4, 'n');
    const std::string withDot = std::string(Parse::entryNameSize - 4, 'n') + ".txt";
    EXPECT_EQ(Parse::readLoop(noDot.c_str(), "other"), -1);
    EXPECT_EQ(Parse::readLoop(withDot.c_str(), "other"), -1);
    EXPECT_EQ(Parse::readLoop(nullptr, "other"), -1);
    EXPECT_EQ(Parse::readLoop("x.txt", nullptr), -1);
    EXPECT_STREQ(Parse::getFilterName(), "login");
    EXPECT_EQ(user(), "guest");

    // One character less fits: the name is taken (and its file is absent).
    EXPECT_EQ(Parse::readLoop(noDot.substr(1).c_str(), "other"), -1);
    EXPECT_STREQ(Parse::getFilterName(), "other");
}

}  // namespace
