// Whole scripts through Parse::parseLoop with the hosts' callback and an echo test,
// their output files compared byte for byte with approved files.
#include <gtest/gtest.h>

#include <string>

#include "Golden.h"
#include "ScriptFixture.h"
#include "host/RunCallback.h"
#include "run/Parse.h"
#include "run/ZorCall.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"

namespace {

using scripttest::positionOf;

// Every input value comes back as a result under the same name; unlike the
// hosts' echo test, this keeps the line markers among the results.
void echoValues() {
    DataMap& in = Parse::getInStore()[0];
    for (StoreEl* element = in.getData(nullptr); element; element = element->getNext())
        Parse::getOutStore()[element->getName()] = in[element->getName()];
}

ZorCall echoRegistration("echo", echoValues);

using EndToEndTest = scripttest::ScriptFixture;

TEST_F(EndToEndTest, ValuesNestedRecordsListsAndVariables) {
    const int result =
        runInChild(resultfile() +
                       "{ prefix = \"log_\" count = 0x10 g { a = 1 b = \"x\" } }\n"
                       "echo {\n"
                       "// the echo returns its input\n"
                       "  user = \"guest\" retries = 2 ratio = -.5 opts { fast = 1 }\n"
                       "  ids[] { 4 0x1F {-2} } pts[] { { x = 1 } y = 2 }\n"
                       "  name = (\"a\" (prefix) \"b\") n = (count) grp = (g)\n"
                       "  verify: user == \"guest\" retries >= 2 ratio < 0.0\n"
                       "          opts { fast != 0 } n = 16 grp.b == \"x\"\n"
                       "          missing == 1\n"
                       "}\n"
                       "echo { v = 1 verify: v == 2 }\n"
                       "echo { }\n",
                   runCallback);
    EXPECT_EQ(result, -4);
    EXPECT_TRUE(zortest::matchesGolden("script_values.txt", output()));
}

TEST_F(EndToEndTest, ErrorTextFollowsTheReportsOfTheTestsBeforeIt) {
    EXPECT_EQ(runInChild(resultfile() + "echo { a = 1 verify: a == 1 }\necho { b = 2 }\n\n}\n",
                         runCallback),
              5);
    EXPECT_TRUE(zortest::matchesGolden("script_error.txt", output()));
}

TEST_F(EndToEndTest, FilterRunsOneTestFarIntoTheScript) {
    std::string script = resultfile();
    for (int i = 0; script.size() < 30000; ++i)
        script += "echo { step = " + std::to_string(i) + " verify: step >= 0 }\r\n";
    script += "echo { last = 1 verify: last == 1 }\r\n";
    script += "echo { after = 1 }\r\n";
    const std::string filter = "echo" + std::to_string(positionOf(script, "echo { last"));
    EXPECT_EQ(runInChild(script, runCallback, filter), 0);
    EXPECT_TRUE(zortest::matchesGolden("script_filter.txt", output()));
}

}  // namespace
