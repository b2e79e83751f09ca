// The tests that failed in the last ZorRun run from a terminal, as ZorRun
// keeps them in .zorrun/lastfailed of the folder it ran in (host/FailedTests.h
// reads the file's text), for one script.
#pragma once

#include <string>
#include <vector>

namespace zorlsp {

struct LastFailedTest {
    std::string name;
    int ordinal = 0;    // among the script's test records of that name, from 1; 0: not known
    int position = -1;  // the first format's; -1: not known
};

struct LastFailed {
    bool scriptErrored = false;
    std::vector<LastFailedTest> tests;
};

// What the file's text records for the script at scriptPath; ZorRun names
// scripts relative to folder. False when the text is of no format ZorRun
// writes or does not name the script.
bool readLastFailedText(const std::string& text, const std::string& folder,
                        const std::string& scriptPath, LastFailed& failed);

// The same from folder's .zorrun/lastfailed, read only when .zorrun is a
// folder (not a link to one) and lastfailed a regular file of bounded size.
bool readLastFailed(const std::string& folder, const std::string& scriptPath, LastFailed& failed);

// Whether the test of that name, ordinal and position is among the failed.
bool hasFailed(const LastFailed& failed, const std::string& name, int ordinal, int position);

}  // namespace zorlsp
