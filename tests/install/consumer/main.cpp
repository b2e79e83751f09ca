// A host program outside the tree: one include, one library. It registers a
// native test function, runs a script through it and leaves the report.
#include <cstdio>

#include "ZorLib.h"

static void addTest() {
    DataMap& in = Parse::getInStore()[0];
    Parse::getOutStore()["sum"] = (int)in["a"] + (int)in["b"];
}
static ZorCall addCall("add", addTest);

static int runTest() {
    ZorCall::TestFunction function = ZorCall::getFunc(Parse::getInStore()[0].getName());
    if (!function) return -1;
    function();
    return 1;
}

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    if (FILE* script = std::fopen(argv[1], "w")) {
        std::fprintf(script, "resultfile \"%s\"\nadd { a = 2 b = 3 verify: sum == 5 }\n", argv[2]);
        std::fclose(script);
    }
    return Parse::parseLoop(argv[1], "", runTest);
}
