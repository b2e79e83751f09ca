#include "TestList.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "ScriptFiles.h"
#include "ZorLib.h"

namespace zor {

namespace {

struct ListedTest {
    std::string name;
    int position;
};

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
        listing->tests.push_back({name, position});
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

ScriptOutcome listTests(const std::string& script, const std::string& filter,
                        TestSelection* selection, Console& console) {
    ScriptOutcome outcome;
    if (script.size() >= static_cast<std::size_t>(Parse::entryNameSize)) {
        console.error(script + ": cannot run script: name longer than 255 characters");
        outcome.error = true;
        return outcome;
    }
    Listing pass{script, selection, {}};
    listing = &pass;
    if (selection) selection->beginScript(script);
    AdaptIO::setFileGuard(readScriptOnly);
    Parse::setTestSelector(recordAndRefuse);
    const int code = Parse::parseLoop(script.c_str(), filter.c_str(), noTestFunction);
    Parse::setTestSelector(nullptr);
    AdaptIO::setFileGuard(nullptr);
    listing = nullptr;
    const ScriptLines lines(readScriptText(script));
    for (const ListedTest& test : pass.tests) {
        std::printf("%s:%d: %s %d\n", script.c_str(), lines.lineOf(test.position),
                    test.name.c_str(), test.position);
        ++outcome.passed;
    }
    // Without a writable output file the run ends in -3, which is expected here.
    if (code == -2) {
        console.error(script + ": cannot open script: " + unreadableReason(script));
        outcome.error = true;
    } else if (code == -1) {
        console.error(script + ": cannot run script: the library is busy");
        outcome.error = true;
    } else if (Parse::getErrLine() >= 1) {
        const int column = errorColumn(script, Parse::getErrLine(), Parse::getErrPos());
        console.error(script + ":" + std::to_string(Parse::getErrLine()) + ":" +
                      std::to_string(column > 0 ? column : Parse::getErrPos()) + ": " +
                      withoutLineEnd(Parse::getErrString()));
        outcome.error = true;
    }
    return outcome;
}

}  // namespace zor
