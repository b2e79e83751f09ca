#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>
#include <vector>

#include "ScriptFixture.h"
#include "run/Parse.h"
#include "script/Numbers.h"
#include "script/ParseState.h"
#include "store/DataMap.h"

namespace {

using scripttest::elementsOf;
using scripttest::ScriptFixture;
using Elements = std::vector<std::string>;

class ValueTest : public ScriptFixture {
protected:
    // The in-data of the single test record "t { <body> }".
    Elements inputOf(const std::string& body, const std::string& globals = "") {
        seen.clear();
        run(globals + "\nt { " + body + " }");
        EXPECT_EQ(Parse::getErrLine(), 0) << errorText();
        return seen.empty() ? Elements{} : seen[0].input;
    }
    Elements expectedOf(const std::string& body) {
        seen.clear();
        run("t { verify: " + body + " }");
        EXPECT_EQ(Parse::getErrLine(), 0) << errorText();
        return seen.empty() ? Elements{} : seen[0].expected;
    }
};

TEST_F(ValueTest, IntegersConvertWithoutFailing) {
    EXPECT_EQ(inputOf("a = - b = --5 c = 0x10 d = 0xFFFFFFFF e = -12"),
              (Elements{"a=0", "b=0", "c=16", "d=-1", "e=-12"}));
    // Beyond the 32-bit range the value is clamped.
    EXPECT_EQ(inputOf("a = 99999999999 b = -99999999999 c = 2147483647 d = -2147483648"),
              (Elements{"a=2147483647", "b=-2147483648", "c=2147483647", "d=-2147483648"}));
}

TEST_F(ValueTest, FloatsConvertAsFarAsTheyFormANumber) {
    EXPECT_EQ(inputOf("a = 1.2.3 b = .. c = -.5 d = 5. e = --1.5"),
              (Elements{"a=1.200000", "b=0.000000", "c=-0.500000", "d=5.000000", "e=0.000000"}));
}

TEST_F(ValueTest, TextsAndFileNamePartsAreStoredAsText) {
    EXPECT_EQ(inputOf("a = \"x y\" b = (\"p\" \"q\") c = (\"<\" (v) \">\")", "{ v = \"p\" }"),
              (Elements{"a=\"x y\"", "b=\"pq\"", "c=\"<p>\""}));
}

TEST_F(ValueTest, ALaterAssignmentOverwrites) {
    EXPECT_EQ(inputOf("x = \"a\" y = 1 x = \"b\" y = 2.5"), (Elements{"x=\"b\"", "y=2.500000"}));
}

TEST_F(ValueTest, NestedRecordsAreGraftedAtTheirClosingBrace) {
    EXPECT_EQ(inputOf("x = 1 sub { y = 2 deeper { z = \"d\" } } z = 3"),
              (Elements{"x=1", "sub.y=2", "sub.deeper.z=\"d\"", "z=3"}));
    EXPECT_EQ(inputOf("pos { x = 1 y = 2 } a.b = \"t\" ids[2] = 9 e { }"),
              (Elements{"pos.x=1", "pos.y=2", "a.b=\"t\"", "ids[2]=9"}));
}

TEST_F(ValueTest, ListItemsAreNumberedFromZero) {
    EXPECT_EQ(inputOf("ids[] { 4 5 6 }"), (Elements{"ids[0]=4", "ids[1]=5", "ids[2]=6"}));
    EXPECT_EQ(inputOf("l[] { 1 {2} \"s\" {\"t\"} 2.5 {0.5} (\"a\" \"b\") }"),
              (Elements{"l[0]=1", "l[1]=2", "l[2]=\"s\"", "l[3]=\"t\"", "l[4]=2.500000",
                        "l[5]=0.500000", "l[6]=\"ab\""}));
    EXPECT_EQ(inputOf("l[] { {} 7 }"), (Elements{"l[1]=7"}));
    EXPECT_EQ(inputOf("l[] {} x = 1"), (Elements{"x=1"}));
}

TEST_F(ValueTest, RecordItemsWithAndWithoutBraces) {
    EXPECT_EQ(inputOf("pts[] { { x = 1 y = 2 } { x = 3 } }"),
              (Elements{"pts[0].x=1", "pts[0].y=2", "pts[1].x=3"}));
    // Each bare entry is an item of its own.
    EXPECT_EQ(inputOf("pts[] { x = 1 y = 2 }"), (Elements{"pts[0].x=1", "pts[1].y=2"}));
    EXPECT_EQ(inputOf("m[] { { n[] { 1 2 } p { q = 3 } } 4 }"),
              (Elements{"m[0].n[0]=1", "m[0].n[1]=2", "m[0].p.q=3", "m[1]=4"}));
    EXPECT_EQ(inputOf("o { l[] { { a = 1 } } b = 2 }"), (Elements{"o.l[0].a=1", "o.b=2"}));
}

TEST_F(ValueTest, VerifyEntriesCarryTheirOperator) {
    EXPECT_EQ(expectedOf("a = 1 b == 1 c > 1 d < 1 e != 1 f >= 1 g <= 1"),
              (Elements{"==a=1", "==b=1", "> c=1", "< d=1", "!=e=1", ">=f=1", "<=g=1"}));
    EXPECT_EQ(expectedOf("pos { x > 1 } l[] { 1 { y == 2 } }"),
              (Elements{"pos.> x=1", "l[0]=1", "l[1].==y=2"}));
}

TEST_F(ValueTest, OperatorsOutsideVerifyAreIllegal) {
    run("a { x == 1 }");
    EXPECT_EQ(errorText(), "illegal operation (==) in line 1\n");
    run("a { s { x <= 1 } }");
    EXPECT_EQ(errorText(), "illegal operation (<=) in line 1\n");
    run("{ g != 1 }");
    EXPECT_EQ(errorText(), "illegal operation (!=) in line 1\n");
}

TEST_F(ValueTest, VerifyModeEndsWithItsSection) {
    seen.clear();
    run("t { verify: a = 1 }\nu { b = 2 }");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].input, (Elements{"b=2"}));
}

const std::string variables = "{ v = \"p\" n = 3 r = 2.5 g { a = 1 b = \"x\" } l[] { 7 8 } }";

TEST_F(ValueTest, VariablesGiveTheirValueOrTheirMembers) {
    EXPECT_EQ(inputOf("a = (v) b = (n) c = (r) d = (g) e = (l) f = (g.a)", variables),
              (Elements{"a=\"p\"", "b=3", "c=2.500000", "d.a=1", "d.b=\"x\"", "e[0]=7", "e[1]=8",
                        "f=1"}));
    EXPECT_EQ(inputOf("k[] { (v) (g) (n) }", variables),
              (Elements{"k[0]=\"p\"", "k[1].a=1", "k[1].b=\"x\"", "k[2]=3"}));
}

TEST_F(ValueTest, UndefinedVariablesStopTheParse) {
    run(variables + "\nt { x = (nothing) }");
    EXPECT_EQ(errorText(), "undefined (nothing) in line 2\n");
    run(variables + "\nt { k[] { 1 (nothing) } }");
    EXPECT_EQ(errorText(), "undefined (nothing) in line 2\n");
}

TEST_F(ValueTest, UndefinedVariablesUnderAFilterAreLeftOut) {
    seen.clear();
    run(variables + "\nt { x = (nothing) k[] { (nothing) 5 } y = 1 }\n", "t0");
    EXPECT_EQ(Parse::getErrLine(), 0);
    // The filter selects no record here; the record's stores are still filled.
    EXPECT_EQ(elementsOf(Parse::getInStore()[0]), (Elements{"k[1]=5", "y=1"}));
}

TEST_F(ValueTest, GlobalVariableRecordsHoldNestedValues) {
    run("{ g { a = 1 } l[] { 1 { b = 2 } } s = \"t\" }");
    EXPECT_EQ(elementsOf(zor::globalVars()[0]),
              (Elements{"g.a=1", "l[0]=1", "l[1].b=2", "s=\"t\""}));
}

TEST_F(ValueTest, NumbersReadTheSameUnderACommaDecimalLocale) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    }
    const Elements input = inputOf("a = 2.5 b = -1.25 c = 42");
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(input, (Elements{"a=2.500000", "b=-1.250000", "c=42"}));
}

TEST(NumbersTest, DecimalTextsReadLikeTheCLibraryInTheCLocale) {
    EXPECT_EQ(zor::readDecimal("  \t+42abc"), 42);
    EXPECT_EQ(zor::readDecimal("-"), 0);
    EXPECT_EQ(zor::readDecimal(""), 0);
    EXPECT_EQ(zor::readDecimal("x1"), 0);
    EXPECT_EQ(zor::readDecimal("-2147483649"), -2147483647 - 1);
    EXPECT_EQ(zor::readDecimal(std::string(300, '9').c_str()), 2147483647);
    EXPECT_EQ(zor::readFloat(("1" + std::string(400, '0') + ".0").c_str()), HUGE_VAL);
    EXPECT_EQ(zor::readFloat(("-" + std::string(400, '9') + ".").c_str()), -HUGE_VAL);
    EXPECT_EQ(zor::readFloat(("0." + std::string(400, '0') + "1").c_str()), 0.0);
}

}  // namespace
