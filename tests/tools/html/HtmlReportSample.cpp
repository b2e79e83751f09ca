// Writes report pages for the browser tests: "failures" is a small run with
// every kind of verdict, a script error, a hostile test name and two workers;
// "large" is 100,000 tests. Prints the counts the page must show, as JSON.
#include <cstdio>
#include <string>

#include "HtmlReport.h"

namespace {

using namespace zorrun;

HtmlTest makeTest(std::string name, int position, int line, HtmlVerdict verdict, double seconds) {
    HtmlTest test;
    test.name = std::move(name);
    test.position = position;
    test.line = line;
    test.verdict = verdict;
    test.seconds = seconds;
    return test;
}

HtmlRun failuresRun() {
    HtmlRun run;
    run.startTime = 1796601600;
    run.seconds = 2.5;
    run.host = "ci-runner-7";
    run.commandLine =
        "ZorRun --jobs 2 --html report.html order.zor.txt login.zor.txt broken.zor.txt";
    HtmlScript order{"order.zor.txt", {}, {}};
    for (int i = 0; i < 40; ++i)
        order.tests.push_back(makeTest("order", 100 + i, 10 + 3 * i, HtmlVerdict::passed, 0.01));
    HtmlTest total = makeTest("order total", 7, 130, HtmlVerdict::failed, 0.25);
    total.failedEntries = {{"total == 0.300000", "0.30000000000000004"}, {"count == 3", "4"}};
    total.report = "order total 7\n  total == 0.300000 : 0.300000 FAIL\n  count == 3 : 4 FAIL\n";
    order.tests.push_back(total);
    HtmlScript login{"login.zor.txt", {}, {}};
    login.tests.push_back(makeTest("login", 200, 3, HtmlVerdict::passed, 0.02));
    HtmlTest hostile =
        makeTest("<script>document.title='owned'</script><img src=x onerror=alert(1)>", 404, 9,
                 HtmlVerdict::failed, 0.03);
    hostile.failedEntries = {{"status == \"</script>\"", "<b>404</b>"}};
    hostile.report = "status == 200 : 404 FAIL\n";
    login.tests.push_back(hostile);
    HtmlTest crashed = makeTest("logout", 500, 21, HtmlVerdict::error, -1);
    crashed.report = "the test function crashed (Segmentation fault)";
    login.tests.push_back(crashed);
    HtmlScript broken{"broken.zor.txt", {{4, 12, "syntax error, unexpected '}'"}}, {}, 2};
    broken.tests.push_back(makeTest("setup", 1, 2, HtmlVerdict::passed, 0.001));
    run.scripts = {order, login, broken};
    run.spans = {{1, 0, 0.0, 2.4}, {2, 1, 0.0, 1.1}, {2, 2, 1.1, 1.3}};
    return run;
}

// One script of 100,000 tests, one in a thousand failing.
HtmlRun largeRun() {
    HtmlRun run;
    run.startTime = 1796601600;
    run.seconds = 1.45;
    run.host = "ci-runner-7";
    run.commandLine = "ZorRun --html large.html large.zor.txt";
    HtmlScript script{"large.zor.txt", {}, {}};
    script.tests.reserve(100000);
    for (int i = 0; i < 100000; ++i) {
        const bool fails = i % 1000 == 999;
        HtmlTest test = makeTest("case " + std::to_string(i % 97), i, 2 + 4 * i,
                                 fails ? HtmlVerdict::failed : HtmlVerdict::passed, 0.0000145);
        if (fails) {
            test.failedEntries = {{"value == " + std::to_string(i), std::to_string(i + 1)}};
            test.report = "case " + std::to_string(i) + "\n  value FAIL\n";
        }
        script.tests.push_back(std::move(test));
    }
    run.scripts.push_back(std::move(script));
    return run;
}

// A sample has no run to take its counts from: they are counted here, as the
// run's totals count them.
RunTotals countRun(const HtmlRun& run) {
    RunTotals counts;
    for (const HtmlScript& script : run.scripts) {
        counts.scriptsWithErrors += script.errors.empty() ? 0 : 1;
        counts.notRun += script.notRun;
        for (const HtmlTest& test : script.tests) {
            ++counts.tests;
            counts.passed += test.verdict == HtmlVerdict::passed;
            counts.failed += test.verdict == HtmlVerdict::failed;
            counts.errors += test.verdict == HtmlVerdict::error;
        }
    }
    return counts;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string kind = argc == 3 ? argv[1] : "";
    if (kind != "failures" && kind != "large") {
        std::fputs("usage: ZorHtmlSample failures|large OUTPUT.html\n", stderr);
        return 2;
    }
    HtmlRun run = kind == "large" ? largeRun() : failuresRun();
    run.totals = countRun(run);
    std::string reason;
    if (!writeHtmlReport(argv[2], run, reason)) {
        std::fprintf(stderr, "%s: %s\n", argv[2], reason.c_str());
        return 1;
    }
    const RunTotals& counts = run.totals;
    std::printf(
        "{\"scripts\": %zu, \"tests\": %d, \"passed\": %d, \"failed\": %d, \"errors\": %d, "
        "\"notRun\": %d, \"scriptsWithErrors\": %d}\n",
        run.scripts.size(), counts.tests, counts.passed, counts.failed, counts.errors,
        counts.notRun, counts.scriptsWithErrors);
    return 0;
}
