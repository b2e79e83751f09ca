#include "TestList.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "ScriptFiles.h"
#include "ZorLib.h"

namespace zorrun {

namespace {

// The pass the guard and the selector serve; they are plain functions.
struct Listing {
    std::string script;
    TestSelection* selection = nullptr;
    std::vector<ListedTest> tests;
};
Listing* listing = nullptr;

// The script alone may be read: resultfile and deletefile statements, the
// comparison and the closing line feed are all refused.
int readScriptOnly(const char* name, int access) {
    if (!listing || access != AdaptIO::accessRead || listing->script != name) {
        errno = EACCES;
        return -1;
    }
    return open(name, O_RDONLY | O_CLOEXEC);
}

int recordAndRefuse(const char* name, int position) {
    if (listing && (!listing->selection || listing->selection->selects(name, position)))
        listing->tests.push_back({name, position, 0});
    return 0;
}

// Never called: every test is refused before its function would run.
int noTestFunction() {
    return -1;
}

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

}  // namespace

bool selectedTests(const std::string& script, const std::string& filter, TestSelection* selection,
                   std::vector<ListedTest>& tests, std::string& error) {
    if (script.size() >= static_cast<std::size_t>(Parse::entryNameSize)) {
        error = script + ": cannot run script: name longer than 255 characters";
        return false;
    }
    Listing pass{script, selection, {}};
    listing = &pass;
    if (selection) selection->beginScript(script);
    AdaptIO::setFileGuard(readScriptOnly);
    Parse::setTestSelector(recordAndRefuse);
    // Without a writable output file the parse ends in -3, as expected here.
    const int code = Parse::parseLoop(script.c_str(), filter.c_str(), noTestFunction);
    Parse::setTestSelector(nullptr);
    AdaptIO::setFileGuard(nullptr);
    listing = nullptr;
    const ScriptLines lines(readScriptText(script));
    for (ListedTest& test : pass.tests) test.line = lines.lineOf(test.position);
    tests = std::move(pass.tests);
    if (code == -2) {
        error = script + ": cannot open script: " + unreadableReason(script);
    } else if (code == -1) {
        error = script + ": cannot run script: the library is busy";
    } else if (Parse::getErrLine() >= 1) {
        const int column = errorColumn(script, Parse::getErrLine(), Parse::getErrPos());
        error = script + ":" + std::to_string(Parse::getErrLine()) + ":" +
                std::to_string(column > 0 ? column : Parse::getErrPos()) + ": " +
                withoutLineEnd(Parse::getErrString());
    } else {
        return true;
    }
    return false;
}

bool listTests(const std::string& script, const std::string& filter, TestSelection* selection,
               Console& console, int& listed) {
    std::vector<ListedTest> tests;
    std::string error;
    const bool whole = selectedTests(script, filter, selection, tests, error);
    for (const ListedTest& test : tests) {
        std::printf("%s:%d: %s %d\n", script.c_str(), test.line, test.name.c_str(), test.position);
        ++listed;
    }
    if (!whole) console.error(error);
    return whole;
}

}  // namespace zorrun
