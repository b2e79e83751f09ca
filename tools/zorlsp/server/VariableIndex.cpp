#include "VariableIndex.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "Diagnostics.h"

namespace zorlsp {

std::string variableKey(std::string_view path) {
    std::string key;
    for (std::size_t at = 0; at < path.size(); ++at) {
        if (path[at] == '[') {
            const std::size_t close = path.find(']', at);
            if (close == std::string_view::npos) break;
            at = close;
            continue;
        }
        if (path[at] != ' ' && path[at] != '\t') key += path[at];
    }
    return key;
}

bool defines(const std::string& defined, const std::string& used) {
    if (defined == used) return true;
    // A record variable holds its members; a member defined makes its record.
    const auto under = [](const std::string& inner, const std::string& outer) {
        return inner.size() > outer.size() && inner.starts_with(outer) &&
               inner[outer.size()] == '.';
    };
    return under(used, defined) || under(defined, used);
}

Json variableRange(std::string_view text, const OutlineVariable& variable) {
    // The path as written from its first name: a definition's path holds the
    // records around it, and blanks may stand between a path's names.
    const std::string_view line = lineAt(text, variable.line - 1);
    std::size_t end = std::min<std::size_t>(std::max(variable.column - 1, 0), line.size());
    const std::size_t start = end;
    while (end < line.size() &&
           (std::isalnum(static_cast<unsigned char>(line[end])) ||
            std::string_view("_:.[]").find(line[end]) != std::string_view::npos))
        ++end;
    return rangeAt(text, variable.line, variable.column, end - start);
}

const OutlineVariable* variableAt(std::string_view text, const ScriptOutline& outline,
                                  Position at) {
    for (const OutlineVariable& variable : outline.variables) {
        const Json range = variableRange(text, variable);
        if (range["start"]["line"] == at.line && range["start"]["character"] <= at.character &&
            range["end"]["character"] >= at.character)
            return &variable;
    }
    return nullptr;
}

std::vector<const OutlineVariable*> definitionsOf(const ScriptOutline& outline,
                                                  const OutlineVariable& variable) {
    const std::string key = variableKey(variable.path);
    std::vector<const OutlineVariable*> exact, related;
    for (const OutlineVariable& other : outline.variables) {
        if (other.kind != OutlineVariable::definition) continue;
        const std::string defined = variableKey(other.path);
        if (defined == key)
            exact.push_back(&other);
        else if (defines(defined, key))
            related.push_back(&other);
    }
    // The variable's own definitions, else the record's or its members'.
    return exact.empty() ? related : exact;
}

void addUndefinedUses(std::string_view text, const ScriptOutline& outline, Json& diagnostics) {
    std::set<std::string> defined;
    for (const OutlineVariable& variable : outline.variables) {
        const std::string key = variableKey(variable.path);
        if (variable.kind == OutlineVariable::definition) {
            // Each enclosing record is defined with its member.
            for (std::size_t dot = key.find('.'); dot != std::string::npos;
                 dot = key.find('.', dot + 1))
                defined.insert(key.substr(0, dot));
            defined.insert(key);
            continue;
        }
        bool known = defined.count(key) != 0;
        for (std::size_t dot = key.find('.'); !known && dot != std::string::npos;
             dot = key.find('.', dot + 1))
            known = defined.count(key.substr(0, dot)) != 0;
        if (known) continue;
        diagnostics.push_back(diagnostic(variableRange(text, variable), warning,
                                         "(" + variable.path +
                                             ") is not defined above: unless a test function makes "
                                             "it, the run stops with undefined (" +
                                             variable.path + ")"));
    }
}

}  // namespace zorlsp
