// The comparison report: every operator and type, hexadecimal names, echoed
// comments, the pass flag and a comma-decimal locale, against approved blocks;
// and the comparison value that hosts hear, from both run entry points.
#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <locale>
#include <sstream>
#include <string>

#include "FileLimit.h"
#include "Golden.h"
#include "output/CompareRecords.h"
#include "run/AdaptIO.h"
#include "run/Parse.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"

namespace {

// Elements in order from "name:value;...": a value in single quotes is a text,
// one with a point or "nan" a double, any other an int.
void fill(DataMap& record, const std::string& entries) {
    std::istringstream in(entries);
    for (std::string entry; std::getline(in, entry, ';');) {
        const std::string name = entry.substr(0, entry.find(':'));
        const std::string value = entry.substr(name.size() + 1);
        if (value[0] == '\'')
            record.appElem(new StoreEl(name.c_str(), value.substr(1, value.size() - 2).c_str()));
        else if (value.find_first_of(".n") != std::string::npos)
            record.appElem(new StoreEl(name.c_str(), std::stod(value)));
        else
            record.appElem(new StoreEl(name.c_str(), std::stoi(value)));
    }
}

const std::string example = "==count:3;<=time:2.5;==name:'abc'";

TEST(ReportTest, BlocksMatchTheApprovedTexts) {
    const struct {
        const char* name;
        const char* approved;
        std::string expected, logged;
        int pass, result;
        const char* locale;
    } cases[] = {
        {"Step1", "report_example.txt", example, "count:3;time:3.0;name:'abd';extra:7", 1, 1, "C"},
        {"Step1", "report_example_locale.txt", example + ";==big:1234567.125",
         "count:3;time:3.0;name:'abd';extra:7;big:1234567.125", 1, 1, "de_DE.UTF-8"},
        {"Empty", "report_empty.txt", "", "", 1, 0, "C"},
        {"Empty", "report_empty_failed.txt", "", "", 0, 1, "C"},
        {"ops", "report_operators.txt",
         "!=mode:2;< small:10;> big:1.5;>=word:'abc';<=neg:-1;==nan:nan;!=same:'x';plain:4;"
         "==typed:1;==missing:'gone'",
         "mode:3;small:10;big:2.0;word:'abd';neg:0;nan:nan;same:'x';plain:4;typed:'1'", 1, 1, "C"},
        {"hex", "report_hex.txt", "==0x20:16;==(0xid):-1", "0x20:17;(0xid):-1;0xfree:255;x0x:255",
         1, 1, "C"},
        {"notes", "report_comments.txt", "==a:1",
         "//000003:'// first\n';//000004:'// second\r\n';a:1;//000009:'// later\n'", 1, 0, "C"},
        {"odd", "report_operator_at_end.txt", "count<:5;a==b:2", "count:4;ab:2", 1, 0, "C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.approved);
        DataMap expected, logged;
        expected.setName(c.name);
        fill(expected, c.expected);
        fill(logged, c.logged);
        if (!std::setlocale(LC_ALL, c.locale)) continue;  // not installed here
        std::locale::global(std::locale(c.locale));
        zortest::TempDir dir;
        AdaptIO out;
        EXPECT_EQ(out.openOut(dir.file("out.txt").c_str()), 1);
        EXPECT_EQ(expected.differ(out, logged, c.pass), c.result);
        out.closeOut();
        AdaptIO closed;  // swallows the text; the result stands
        EXPECT_EQ(expected.differ(closed, logged, c.pass), c.result);
        std::setlocale(LC_ALL, "C");
        std::locale::global(std::locale::classic());
        const std::string text = zortest::readFile(dir.file("out.txt"));
        EXPECT_TRUE(zortest::matchesGolden(c.approved, text));
        EXPECT_EQ(zor::currentComparison().block, text);
        for (StoreEl* element = logged.getData(nullptr); element; element = element->getNext())
            EXPECT_EQ(element->getMark(), 0) << element->getName();
    }
}

Comparison heard;
void keep(const Comparison& comparison) {
    heard = comparison;
}

// In a child process, so that failed verifications do not stick to this one.
std::string observedInChild(rlim_t limit, const std::function<std::string()>& body) {
    return zortest::underFileLimit(limit, [&] {
        Parse::setComparisonObserver(keep);
        return body();
    });
}

std::string describe(const Comparison& c) {
    std::string text = c.name + " " + std::to_string(c.pass) + " " + std::to_string(c.result) +
                       " [" + c.writeError + "]\n";
    for (const ComparisonEntry& e : c.entries)
        text += e.path + " " + e.op + " " + e.expected + " | " + e.actual + " | " +
                e.expectedExact + " | " + e.actualExact + (e.held ? " held\n" : " failed\n");
    return text;
}

std::string blockCheck(const std::string& file) {
    return heard.block == zortest::readFile(file) ? "" : "the block is not what the file got\n";
}

int logA() {
    Parse::getOutStore()["a"] = 1;
    return 1;
}

TEST(ComparisonTest, ValueCarriesEveryEntryInTheReportsSpelling) {
    zortest::TempDir dir;
    const std::string said = observedInChild(RLIM_INFINITY, [&] {
        DataMap& expected = Parse::getVerStore()[0];
        expected.setName("mixed");
        fill(expected, "==missing:1;==code:404;==0x1f:31;!=name:'abc';==weird:1;==odd:2");
        expected.getData("==odd")->setType(7);
        DataMap logged;
        fill(logged, "code:'404';0x1f:30;name:'abd';weird:5");
        logged.getData("weird")->setType(9);
        Parse::setLastOutFile(dir.file("out.txt").c_str());
        const int result = Parse::verData(1, logged);
        return std::to_string(result) + " " + describe(heard) + blockCheck(dir.file("out.txt")) +
               heard.block.substr(heard.block.find("    weird"));
    });
    EXPECT_EQ(said,
              "1 mixed 1 1 []\n"
              "missing == 1 | undefined | 1 | undefined failed\n"
              "code == 404 | char* \"404\" | 404 | char* \"404\" failed\n"
              "0x1f == 0x1f | 0x1e | 0x1f | 0x1e failed\n"
              "name != \"abc\" | \"abd\" | \"abc\" | \"abd\" held\n"
              "weird == 1 | unknown type | 1 | unknown type failed\n"
              // A logged value of no known type is named, never read as a text.
              "    weird == 1; [unknown type weird] ERROR\r\n"
              "unknown type: odd\r\n  logged:\r\n}\r\n\r\n");
}

// A block that did not go into the output file whole fails the test, and the
// value says why, from both entry points (a provider's included).
TEST(ComparisonTest, AReportNotWrittenWholeFailsInTheValue) {
    zortest::TempDir dir;
    const std::string out = dir.file("out.txt");
    const std::string script = dir.file("s.txt");
    zortest::writeFile(script, "resultfile \"" + out + "\"\nt { verify: a == 1 }\n" +
                                   "extern p { verify: a == 1 }\n");
    auto verdict = [] {
        return heard.name + " " + std::to_string(heard.result) + " " + heard.outFile + " [" +
               heard.writeError + "] " + std::to_string(heard.entries.size()) + "\n";
    };
    const std::string said = observedInChild(10, [&] {
        Parse::parseLoop(script.c_str(), "", logA);
        std::string text = verdict();
        Parse::readLoop(script.c_str(), "p");
        Parse::getOutStore()["a"] = 1;
        const int closed = Parse::closeLoop();
        text += std::to_string(closed) + " " + verdict();
        Parse::setLastOutFile(dir.file("absent/out.txt").c_str());
        Parse::getVerStore()[0].setName("u");
        const int verified = Parse::verData(1, Parse::getOutStore());
        return text + std::to_string(verified) + " " + verdict();
    });
    EXPECT_EQ(said, "t 1 " + out + " [File too large] 1\n1 p 1 " + out +
                        " [File too large] 1\n1 u 1  [the output file could not be opened] 1\n");
}

}  // namespace
