// Helpers for test functions: fail the running test with a reason, and read
// its inputs by type. A failure made here is a failed test like any other: the
// report lists it as the entry "failure", expected empty, with the reasons as
// its value, so every runner and every report tells it the same way.
//
//     void add() {
//         const auto a = zor::input<int>("a");
//         const auto b = zor::input<int>("b");
//         if (!a || !b) return;  // already failed: "input b is missing"
//         Parse::getOutStore()["sum"] = *a + *b;
//     }
#pragma once

#include <optional>
#include <string>
#include <type_traits>

#include "ZorLib.h"

namespace zor {

inline constexpr const char* failureEntry = "failure";

namespace detail {

// A script's strings hold printable ASCII except " and `, and the report shows
// the reason as such a string.
inline std::string reportable(const std::string& reason) {
    std::string text;
    for (const char c : reason) {
        const bool printable = c >= ' ' && c <= '~' && c != '"' && c != '`';
        text += printable ? c : (c == '"' || c == '`' ? '\'' : ' ');
    }
    return text;
}

template <typename T>
constexpr const char* typeName() {
    if constexpr (std::is_same_v<T, int>) return "an int";
    if constexpr (std::is_same_v<T, double>) return "a double";
    return "a string";
}

inline const char* typeName(int type) {
    switch (type) {
        case StoreEl::typeInt:
            return "an int";
        case StoreEl::typeDouble:
            return "a double";
        default:
            return "a string";
    }
}

template <typename T>
constexpr int storeType() {
    if constexpr (std::is_same_v<T, int>) return StoreEl::typeInt;
    if constexpr (std::is_same_v<T, double>) return StoreEl::typeDouble;
    return StoreEl::typeString;
}

}  // namespace detail

// Fails the running test; a second reason is added to the first.
inline void fail(const std::string& reason) {
    DataMap& out = Parse::getOutStore();
    std::string text = detail::reportable(reason);
    const StoreEl* earlier = out.getData(failureEntry);
    if (earlier && earlier->getType() == StoreEl::typeString)
        text = static_cast<const char*>(earlier->getData()) + std::string("; ") + text;
    Parse::getVerStore()[0][failureEntry] = "";
    out[failureEntry] = text.c_str();
}

// The input NAME of the running test as T (int, double or std::string); empty,
// with the test failed, when the record has no such input or one of another
// type: nothing is converted behind the script's back.
template <typename T>
std::optional<T> input(const char* name) {
    static_assert(
        std::is_same_v<T, int> || std::is_same_v<T, double> || std::is_same_v<T, std::string>,
        "inputs are int, double or std::string");
    DataMap& in = Parse::getInStore()[0];
    const int type = in.getType(name);
    if (type == StoreEl::typeUndefined) {
        fail(std::string("input ") + name + " is missing");
        return std::nullopt;
    }
    if (type != detail::storeType<T>()) {
        fail(std::string("input ") + name + " is " + detail::typeName(type) + ", not " +
             detail::typeName<T>());
        return std::nullopt;
    }
    if constexpr (std::is_same_v<T, std::string>) {
        return std::string(static_cast<const char*>(in[name]));
    } else {
        return static_cast<T>(in[name]);
    }
}

}  // namespace zor
