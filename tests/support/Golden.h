// Approved-file checks for byte-exact outputs. A test compares its text with
// tests/golden/<name> (ZOR_GOLDEN_DIR); on a difference it leaves the text it
// got in ZOR_RECEIVED_DIR, from which tests/golden/approve.sh copies it over
// the approved file once the change is intended.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempDir.h"

namespace zortest {

inline ::testing::AssertionResult matchesGolden(const std::string& name,
                                                const std::string& actual) {
    const std::filesystem::path approved = std::filesystem::path(ZOR_GOLDEN_DIR) / name;
    const std::filesystem::path received = std::filesystem::path(ZOR_RECEIVED_DIR) / name;
    std::error_code ignored;
    if (std::filesystem::exists(approved) && readFile(approved.string()) == actual) {
        std::filesystem::remove(received, ignored);
        return ::testing::AssertionSuccess();
    }
    std::filesystem::create_directories(received.parent_path(), ignored);
    writeFile(received.string(), actual);
    return ::testing::AssertionFailure() << "differs from " << approved << "; got " << received
                                         << " (approve it with tests/golden/approve.sh)";
}

}  // namespace zortest
