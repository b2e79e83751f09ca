// The comparison report: every operator and type, hexadecimal names, echoed
// comments, the pass flag and a comma-decimal locale, against approved blocks.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <sstream>
#include <string>

#include "Golden.h"
#include "run/AdaptIO.h"
#include "store/DataMap.h"
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
        for (StoreEl* element = logged.getData(nullptr); element; element = element->getNext())
            EXPECT_EQ(element->getMark(), 0) << element->getName();
    }
}

}  // namespace
