// Parse: the run driver and the one run state of the process. A host hands it
// a script file, a filter and a callback (parseLoop), or uses it as a provider
// of test data (readLoop, closeLoop); the script language reads and changes the
// state through the accessors while a parse runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "FixedText.h"
#include "ZorExport.h"
#include "output/Comparison.h"
#include "script/ScriptOutline.h"

class AdaptIO;
class DataMap;

class ZORLIB_API Parse {
public:
    // Fixed texts of the run state hold 499 characters and the terminating zero.
    static constexpr int textSize = zor::fixedTextSize;
    // Records per store array: [0] the test's record, [1] to [19] working levels.
    static constexpr int storeDepth = 20;
    // Names given to the run entry points must be shorter than this.
    static constexpr int entryNameSize = 256;

    Parse() = delete;

    // Run operations.
    static int parseLoop(const char* inputFile, const char* filter, int (*callback)());
    static int readLoop(const char* scriptFile, const char* testName);
    static int closeLoop();
    static int verData(int pass, DataMap& actual);
    // Hosts that report verdicts hear of every comparison verData makes: the
    // test's name, its record's position, the pass flag and the result. The
    // observer only listens; a null observer removes it.
    using VerifyObserver = void (*)(const char* name, int position, int pass, int result);
    static void setVerifyObserver(VerifyObserver observer);
    // A host that selects tests installs a selector, asked at the end of every
    // test record the filter lets through, with the record's name and
    // position: 0 skips the test as the filter skips the others (no call, no
    // report, no comparison), anything else runs it. A null selector removes it.
    using TestSelector = int (*)(const char* name, int position);
    static void setTestSelector(TestSelector selector);
    static TestSelector getTestSelector();
    // Hosts that report verdicts hear every comparison verData and closeLoop
    // make as one value, the one the report block was written from. The
    // value is the library's and lasts for the call only; the next comparison
    // reuses it. The observer only listens; a null observer removes it.
    using ComparisonObserver = void (*)(const Comparison& comparison);
    static void setComparisonObserver(ComparisonObserver observer);

    // Reads a script without running it (see ScriptOutline): 0, the line of
    // the first error, -1 while a run is busy or for a null argument, -2 when
    // the script cannot be opened.
    static int outlineScript(const char* scriptFile, ScriptOutline& outline);
    // Whether a run with this filter reaches the test record of that name and
    // position; an empty filter takes every test. Hosts that choose tests from
    // an outline ask here rather than read filters themselves.
    static bool filterTakes(const char* filter, const char* name, int position);

    // The library's one shared file object.
    static AdaptIO& getIO();

    // Run state.
    static int getLastVerifyResult();
    static DataMap* getInStore();
    static DataMap* getVerStore();
    static DataMap& getOutStore();
    static DataMap& getCache();
    static void clearInStore();
    static void clearVerStore();
    static char* getFilterName();
    static char* getLastOutFile();
    static void setLastOutFile(const char* name);
    static char* getErrString();
    static void setErrString(const char* text);
    static int getErrLine();
    static void setErrLine(int line);
    static int getErrPos();
    static void setErrPos(int pos);
    static int hasCallback();
    static int adjustLine(int offset, int line);

    // Notification and waiting.
    static int startEvent();
    static void waitForNotify(int count, int timeLimit);
    static void receivedNotification();
    // The wait loop calls the hook where it would hand one pending message of
    // the waiting thread to its handler; the hook answers 1 when it handled
    // something. Without a hook the loop only sleeps.
    static void setDispatchHook(int (*hook)());
    // Notifications still awaited (negative: counted in advance).
    static int getWaitCtr();

    // Result globals: copies the results named in parentheses into globals.
    static void addToGlobals(DataMap& globals);

private:
    // Scans and parses the open input under the busy flag; yyparse's result.
    static int runParser(AdaptIO& io);
    // Loads the cached extern record named filterName into the stores.
    static void loadCachedTest();

    static DataMap inStore[storeDepth];
    static DataMap verStore[storeDepth];
    static DataMap outStore;
    static DataMap cachedExts;
    static char cachedFile[textSize];
    static char outFileName[textSize];
    static char filterName[textSize];
    static char errString[textSize];
    static int32_t errLine;
    static int32_t errPos;
    static int (*callBack)();
    static int32_t pState;
    static std::atomic<int32_t> waitCtr;
    static std::mutex waitLock;
    static int (*dispatchHook)();
    static int32_t verifyResult;
    static VerifyObserver verifyObserver;
    static ComparisonObserver comparisonObserver;
    static TestSelector testSelector;
};
