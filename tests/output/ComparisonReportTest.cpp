#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <locale>
#include <string>

#include "Golden.h"
#include "TempDir.h"
#include "run/AdaptIO.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"

namespace {

// Runs the comparison into a real file and keeps the block and the result.
struct Report {
    std::string text;
    int result;
};

Report compare(DataMap& expected, DataMap& logged, int pass) {
    zortest::TempDir dir;
    const std::string file = dir.file("out.txt");
    AdaptIO out;
    EXPECT_EQ(out.openOut(file.c_str()), 1);
    const int result = expected.differ(out, logged, pass);
    out.closeOut();
    return {zortest::readFile(file), result};
}

bool allMarksClear(const DataMap& record) {
    for (StoreEl* element = record.getData(nullptr); element; element = element->getNext())
        if (element->getMark()) return false;
    return true;
}

void fillExample(DataMap& expected, DataMap& logged) {
    expected.setName("Step1");
    expected["==count"] = 3;
    expected["<=time"] = 2.5;
    expected["==name"] = "abc";
    logged["count"] = 3;
    logged["time"] = 3.0;
    logged["name"] = "abd";
    logged["extra"] = 7;
}

TEST(ReportTest, ExampleBlockFailsOnTimeAndName) {
    DataMap expected, logged;
    fillExample(expected, logged);
    const Report report = compare(expected, logged, 1);
    EXPECT_EQ(report.result, 1);
    EXPECT_TRUE(zortest::matchesGolden("report_example.txt", report.text));
    EXPECT_TRUE(allMarksClear(logged));
}

TEST(ReportTest, CheckThatHoldsWithOtherOperatorShowsLoggedValue) {
    DataMap expected, logged;
    fillExample(expected, logged);
    logged["time"] = 2.0;
    logged["name"] = "abc";
    const Report report = compare(expected, logged, 1);
    EXPECT_EQ(report.result, 0);
    EXPECT_NE(report.text.find("    time <= 2.500000; [double time = 2.000000] \r\n"),
              std::string::npos);
    EXPECT_NE(report.text.find("    name == \"abc\"\r\n"), std::string::npos);
}

TEST(ReportTest, EmptyRecordsPassOrFailByPassFlag) {
    DataMap expected, logged;
    expected.setName("Empty");
    const Report passed = compare(expected, logged, 1);
    EXPECT_EQ(passed.result, 0);
    EXPECT_TRUE(zortest::matchesGolden("report_empty.txt", passed.text));
    const Report failed = compare(expected, logged, 0);
    EXPECT_EQ(failed.result, 1);
    EXPECT_TRUE(zortest::matchesGolden("report_empty_failed.txt", failed.text));
}

TEST(ReportTest, EveryOperatorOnEveryType) {
    DataMap expected, logged;
    expected.setName("ops");
    expected["!=mode"] = 2;
    expected["< small"] = 10;
    expected["> big"] = 1.5;
    expected[">=word"] = "abc";
    expected["<=neg"] = -1;
    expected["==nan"] = std::numeric_limits<double>::quiet_NaN();
    expected["!=same"] = "x";
    expected["plain"] = 4;
    expected["==typed"] = 1;
    expected["==missing"] = "gone";
    logged["mode"] = 3;
    logged["small"] = 10;
    logged["big"] = 2.0;
    logged["word"] = "abd";
    logged["neg"] = 0;
    logged["nan"] = std::numeric_limits<double>::quiet_NaN();
    logged["same"] = "x";
    logged["plain"] = 4;
    logged["typed"] = "1";
    const Report report = compare(expected, logged, 1);
    EXPECT_EQ(report.result, 1);
    EXPECT_TRUE(zortest::matchesGolden("report_operators.txt", report.text));
    EXPECT_TRUE(allMarksClear(logged));
}

TEST(ReportTest, HexNamedIntsShowTheirBitPattern) {
    DataMap expected, logged;
    expected.setName("hex");
    expected["==0x20"] = 16;
    expected["==(0xid)"] = -1;
    logged["0x20"] = 17;
    logged["(0xid)"] = -1;
    logged["0xfree"] = 255;
    logged["x0x"] = 255;
    const Report report = compare(expected, logged, 1);
    EXPECT_EQ(report.result, 1);
    EXPECT_TRUE(zortest::matchesGolden("report_hex.txt", report.text));
}

TEST(ReportTest, LeadingCommentsAreEchoedOthersAreLogged) {
    DataMap expected, logged;
    expected.setName("notes");
    expected["==a"] = 1;
    logged["//000003"] = "// first\n";
    logged["//000004"] = "// second\r\n";
    logged["a"] = 1;
    logged["//000009"] = "// later\n";
    const Report report = compare(expected, logged, 1);
    EXPECT_EQ(report.result, 0);
    EXPECT_TRUE(zortest::matchesGolden("report_comments.txt", report.text));
}

TEST(ReportTest, DuplicateLoggedNameIsMatchedOnce) {
    DataMap expected, logged;
    expected.setName("dup");
    expected["==a"] = 1;
    logged.appElem(new StoreEl("a", 1));
    logged.appElem(new StoreEl("a", 1));
    const Report report = compare(expected, logged, 1);
    EXPECT_EQ(report.result, 0);
    EXPECT_NE(report.text.find("  logged:\r\n    a = 1\r\n}"), std::string::npos);
    EXPECT_TRUE(allMarksClear(logged));
}

TEST(ReportTest, OperatorAtEndOrInsideTheName) {
    DataMap expected, logged;
    expected.setName("odd");
    expected["count<"] = 5;
    expected["a==b"] = 2;
    logged["count"] = 4;
    logged["ab"] = 2;
    const Report report = compare(expected, logged, 1);
    EXPECT_EQ(report.result, 0);
    EXPECT_TRUE(zortest::matchesGolden("report_operator_at_end.txt", report.text));
}

TEST(ReportTest, ClosedWriterSwallowsTextButResultStands) {
    DataMap expected, logged;
    fillExample(expected, logged);
    AdaptIO closed;
    EXPECT_EQ(expected.differ(closed, logged, 1), 1);
    EXPECT_TRUE(allMarksClear(logged));
}

// Restores the C and C++ global locales when a test that changed them ends.
class CommaLocale {
public:
    CommaLocale() : saved(std::setlocale(LC_ALL, nullptr)), previous(std::locale()) {
        active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        if (active) std::locale::global(std::locale("de_DE.UTF-8"));
    }
    ~CommaLocale() {
        std::setlocale(LC_ALL, saved.c_str());
        std::locale::global(previous);
    }
    bool isActive() const { return active; }

private:
    std::string saved;
    std::locale previous;
    bool active = false;
};

TEST(ReportTest, NumbersIgnoreACommaDecimalLocale) {
    CommaLocale locale;
    if (!locale.isActive()) GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    DataMap expected, logged;
    fillExample(expected, logged);
    expected["==big"] = 1234567.125;
    logged["big"] = 1234567.125;
    const Report report = compare(expected, logged, 1);
    EXPECT_TRUE(zortest::matchesGolden("report_example_locale.txt", report.text));
}

}  // namespace
