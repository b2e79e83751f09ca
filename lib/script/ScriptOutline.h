// What a script holds, read with the library's own scanner and parser and
// without running anything: no callback, no test function, no file created,
// written or deleted. Programs that need facts about a script (its tests,
// where they stand, which files it writes) ask for its outline instead of
// reading the language themselves.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The keywords a script writer types, as the scanner takes them, for programs
// that offer or show them (an editor's completion, a statement's label).
inline constexpr const char* outlineKeywords[] = {"resultfile", "deletefile", "verify:"};

struct OutlineFile {
    enum Kind { resultFile = 0, deleteFile = 1 };
    // The statement's keyword.
    const char* keyword() const { return outlineKeywords[kind]; }
    Kind kind = resultFile;
    // The name as the script spells it; "" when it is computed at run time
    // (built from variables in parentheses).
    std::string name;
    bool computed = false;
    int line = 0;  // the statement's line, from 1
};

struct OutlineRecord {
    enum Kind { test = 0, global = 1, externTest = 2 };
    Kind kind = test;
    std::string name;   // "" for a global-variable record
    int position = -1;  // as a filter names the test (a global record: its "{")
    int line = 0;       // where the name stands (a global record: its "{"), from 1
    int column = 0;     // from 1, in bytes
    // Where its closing "}" stands, so that a reader can take the whole record.
    int endLine = 0;     // from 1
    int endColumn = 0;   // from 1, in bytes
    int verifyLine = 0;  // where its "verify:" stands, from 1; 0 when it has none
    // Index into ScriptOutline::files of the resultfile statement in force
    // when the record ends; -1 before any.
    int outFile = -1;
};

// A global variable as a global-variable record defines it, or a variable
// used in parentheses.
struct OutlineVariable {
    enum Kind { definition = 0, use = 1 };
    Kind kind = use;
    std::string path;  // "server.port"
    int line = 0;      // where the path's first name stands, from 1
    int column = 0;    // from 1, in bytes
};

struct ScriptOutline {
    // Every record up to the first error, in the script's order.
    std::vector<OutlineRecord> records;
    // A reader that needs each record only once may take them as they are
    // read instead: records then stays empty, and a large script costs no
    // memory per record. Set before the call; the outline keeps it.
    std::function<void(const OutlineRecord&)> takeRecord;
    // The resultfile and deletefile statements, in the script's order.
    std::vector<OutlineFile> files;
    // Asked for with takeVariables (set before the call; the outline keeps
    // it): the definitions and uses of variables, in the script's order, up
    // to the first error. Variables that test functions make are not known
    // to an outline, which runs none.
    bool takeVariables = false;
    std::vector<OutlineVariable> variables;
    // The first error, as a run reports it: its line (0 when none), its
    // position and column of the offending token, and the library's text
    // ("parse error in line 4 ( }... )\n"). Records after it are not reached.
    int errorLine = 0;
    int errorPos = 0;
    int errorColumn = 0;
    std::string errorText;
    // The token the error stands at, as the scanner took it: a lone "\"" is
    // a string that a character it cannot hold (or the line's end) kept from
    // closing. "" for an error that no token caused.
    std::string errorToken;
};
