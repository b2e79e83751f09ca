// A shared library that registers no test function.
extern "C" int zorNoFunctions() {
    return 0;
}
