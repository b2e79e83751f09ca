#include "output/CompareRecords.h"

#include <cstring>

#include "output/ReportSpelling.h"
#include "store/DataMap.h"
#include "store/StoreEl.h"

namespace zor {

namespace {

constexpr char lineEnd[] = "\r\n";

bool isOperatorChar(char c) {
    return c == '=' || c == '!' || c == '<' || c == '>';
}

// The first operator character and the one after it leave the name. When the
// operator character is the name's last, only it goes: the second character
// then reads as a blank.
void splitName(const char* name, std::string& path, char op[2]) {
    const std::size_t length = std::strlen(name);
    std::size_t at = 0;
    while (at < length && !isOperatorChar(name[at])) ++at;
    op[0] = op[1] = 0;
    if (at == length) {
        path.assign(name, length);
        return;
    }
    const std::size_t taken = at + 1 < length ? 2 : 1;
    op[0] = name[at];
    op[1] = taken == 2 ? name[at + 1] : ' ';
    path.assign(name, at);
    path.append(name + at + taken, length - at - taken);
}

// The operator as the judge reads it, whatever follows its first character.
const char* judgedOperator(const char op[2]) {
    switch (op[0]) {
        case '!':
            return "!=";
        case '<':
            return op[1] == '=' ? "<=" : "<";
        case '>':
            return op[1] == '=' ? ">=" : ">";
        default:
            return "==";
    }
}

// The report shows the operator as written, so an odd one stays visible.
void appendShownOperator(std::string& block, const char op[2]) {
    if (op[0] == 0) {
        block += " == ";
        return;
    }
    const char shown[] = {' ', op[0], op[1], ' '};
    block.append(shown, sizeof shown);
}

template <typename T>
T valueOf(const StoreEl& element) {
    T value;
    std::memcpy(&value, element.getData(), sizeof value);
    return value;
}

// Doubles compare by IEEE rules (a NaN equals nothing); strings through strcmp's order.
template <typename T>
bool check(const char op[2], T logged, T expected) {
    switch (op[0]) {
        case '!':
            return logged != expected;
        case '<':
            return op[1] == '=' ? logged <= expected : logged < expected;
        case '>':
            return op[1] == '=' ? logged >= expected : logged > expected;
        default:
            return logged == expected;
    }
}

// Both elements have the expected element's type.
bool holds(const char op[2], const StoreEl& logged, const StoreEl& expected) {
    switch (expected.getType()) {
        case StoreEl::typeInt:
            return check(op, valueOf<int>(logged), valueOf<int>(expected));
        case StoreEl::typeDouble:
            return check(op, valueOf<double>(logged), valueOf<double>(expected));
        default:
            return check(op,
                         std::strcmp(static_cast<const char*>(logged.getData()),
                                     static_cast<const char*>(expected.getData())),
                         0);
    }
}

// "; [type path = value] " and, when the check failed, "ERROR".
void appendLogged(std::string& block, int type, const ComparisonEntry& entry, bool failed) {
    block.append("; [").append(typeWord(type)).append(entry.path).append(" = ");
    block.append(entry.actual).append(failed ? "] ERROR" : "] ").append(lineEnd);
}

// Fills actual and held and ends the entry's line. An element of no known
// type is never read: its buffer need not hold a text.
void judgeLogged(ComparisonEntry& entry, const char op[2], const StoreEl& expected, StoreEl* found,
                 std::string& block) {
    entry.actual.clear();
    entry.held = false;
    if (!found) {
        entry.actual = "undefined";
        block.append("; [undefined] ERROR").append(lineEnd);
        return;
    }
    found->setMark();
    if (!knownType(found->getType())) {
        entry.actual = "unknown type";
        block.append("; [unknown type ").append(entry.path).append("] ERROR").append(lineEnd);
        return;
    }
    appendValue(entry.actual, *found, entry.path.c_str());
    if (found->getType() != expected.getType()) {
        appendLogged(block, found->getType(), entry, true);
        entry.actual.insert(0, typeWord(found->getType()));
        return;
    }
    entry.held = holds(op, *found, expected);
    if (entry.held && (op[0] == 0 || op[0] == '=')) {
        block += lineEnd;
        return;
    }
    appendLogged(block, found->getType(), entry, !entry.held);
}

// Two different doubles that six decimals spell alike get their exact forms,
// so that a reader sees why they compared as they did.
void setExactForms(ComparisonEntry& entry, const StoreEl& expected, const StoreEl* found) {
    entry.expectedExact = entry.expected;
    entry.actualExact = entry.actual;
    if (!found || expected.getType() != StoreEl::typeDouble ||
        found->getType() != StoreEl::typeDouble || entry.expected != entry.actual)
        return;
    const double wanted = valueOf<double>(expected);
    const double got = valueOf<double>(*found);
    if (wanted == got) return;
    entry.expectedExact.clear();
    entry.actualExact.clear();
    appendShortest(entry.expectedExact, wanted);
    appendShortest(entry.actualExact, got);
}

// Entries are reused from one comparison to the next, so that a long run
// does not allocate their texts anew for every test.
ComparisonEntry& slotAt(std::vector<ComparisonEntry>& entries, std::size_t used) {
    if (used == entries.size()) entries.emplace_back();
    return entries[used];
}

// One line under "verified:"; answers whether the entry failed.
bool judgeEntry(const StoreEl& expected, DataMap& logged, Comparison& comparison,
                std::size_t& used) {
    ComparisonEntry& entry = slotAt(comparison.entries, used);
    char op[2];
    splitName(expected.getName(), entry.path, op);
    std::string& block = comparison.block;
    if (!knownType(expected.getType())) {
        block.append("unknown type: ").append(entry.path).append(lineEnd);
        return false;
    }
    ++used;
    entry.op = judgedOperator(op);
    entry.expected.clear();
    appendValue(entry.expected, expected, entry.path.c_str());
    block.append("    ").append(entry.path);
    appendShownOperator(block, op);
    block.append(entry.expected);
    StoreEl* found = logged.getData(entry.path.c_str());
    judgeLogged(entry, op, expected, found, block);
    setExactForms(entry, expected, found);
    return !entry.held;
}

bool isLeadingComment(const StoreEl& element) {
    return element.getType() == StoreEl::typeString &&
           std::strncmp(element.getName(), "//", 2) == 0;
}

// Comments at the head of the logged record keep their own line ends.
void appendComments(std::string& block, DataMap& logged) {
    for (StoreEl* element = logged.getData(nullptr); element && isLeadingComment(*element);
         element = element->getNext()) {
        element->setMark();
        block.append("  ").append(static_cast<const char*>(element->getData()));
    }
}

// Lists what no expected element matched and clears the marks of the rest.
void appendUnmatched(std::string& block, DataMap& logged) {
    for (StoreEl* element = logged.getData(nullptr); element; element = element->getNext()) {
        if (element->getMark()) {
            element->clearMark();
            continue;
        }
        if (!knownType(element->getType())) {
            block.append("unknown type: ").append(element->getName()).append(lineEnd);
            continue;
        }
        block.append("    ").append(element->getName()).append(" = ");
        appendValue(block, *element, element->getName());
        block += lineEnd;
    }
}

// Judges the expected entries in order; answers 1 when one failed.
int judgeEntries(const DataMap& expected, DataMap& logged, Comparison& comparison) {
    int result = 0;
    std::size_t used = 0;
    for (const StoreEl* element = expected.getData(nullptr); element; element = element->getNext())
        if (judgeEntry(*element, logged, comparison, used)) result = 1;
    comparison.entries.resize(used);
    return result;
}

}  // namespace

void compareRecords(const DataMap& expected, DataMap& logged, int pass, Comparison& comparison) {
    comparison.name = expected.getName();
    comparison.position = -1;
    comparison.pass = pass;
    comparison.outFile.clear();
    comparison.writeError.clear();
    std::string& block = comparison.block;
    block.clear();
    block.append(expected.getName()).append(lineEnd).append("{").append(lineEnd);
    appendComments(block, logged);
    block.append("  verified:").append(lineEnd);
    int result = judgeEntries(expected, logged, comparison);
    block.append("  logged:").append(lineEnd);
    appendUnmatched(block, logged);
    block += '}';
    if (pass == 0) {
        block += " [ERROR]";
        result = 1;
    }
    block.append(lineEnd).append(lineEnd);
    comparison.result = result;
}

}  // namespace zor
