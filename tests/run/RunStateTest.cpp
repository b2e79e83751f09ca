#include <gtest/gtest.h>

#include <string>

#include "run/Parse.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace {

TEST(RunStateTest, SettersTakeNullAsEmptyAndCutAt499) {
    Parse::setErrString("x");
    Parse::setErrString(nullptr);
    EXPECT_STREQ(Parse::getErrString(), "");

    const std::string longText(700, 'e');
    Parse::setErrString(longText.c_str());
    EXPECT_EQ(std::string(Parse::getErrString()), longText.substr(0, 499));
    Parse::setErrString("");
}

TEST(RunStateTest, OverlongOutputFileNameNamesNoFile) {
    const std::string fits(499, 'f');
    Parse::setLastOutFile(fits.c_str());
    EXPECT_EQ(std::string(Parse::getLastOutFile()), fits);

    const std::string tooLong(500, 'f');
    Parse::setLastOutFile(tooLong.c_str());
    EXPECT_STREQ(Parse::getLastOutFile(), "");
    Parse::setLastOutFile("a.txt");
    Parse::setLastOutFile(nullptr);
    EXPECT_STREQ(Parse::getLastOutFile(), "");
}

TEST(RunStateTest, ClearingTouchesOnlyTheTestRecord) {
    DataMap* in = Parse::getInStore();
    DataMap* ver = Parse::getVerStore();
    in[0].setName("login");
    in[0]["user"] = "guest";
    in[1]["work"] = 1;
    ver[0].setName("login");
    ver[0]["==status"] = 0;

    Parse::clearInStore();
    Parse::clearVerStore();
    EXPECT_EQ(in[0].getData(nullptr), nullptr);
    EXPECT_STREQ(in[0].getName(), "DataMap");
    EXPECT_STREQ(ver[0].getName(), "DataMap");
    EXPECT_EQ(ver[0].getData(nullptr), nullptr);
    EXPECT_EQ(in[1].getType("work"), 1);
    in[1].clear();

    EXPECT_EQ(Parse::getInStore(), in);
    EXPECT_EQ(Parse::getVerStore(), ver);
}

}  // namespace
