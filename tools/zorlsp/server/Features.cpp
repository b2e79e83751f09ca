// The questions an editor asks about an open script, answered from its outline.
#include <algorithm>
#include <array>

#include "Diagnostics.h"
#include "LastFailed.h"
#include "Positions.h"
#include "Server.h"
#include "VariableIndex.h"
#include "run/ZorCall.h"

namespace zorlsp {

namespace {

enum SymbolKind { fileSymbol = 1, namespaceSymbol = 3, functionSymbol = 12 };
enum CompletionKind { functionItem = 3, variableItem = 6, keywordItem = 14, operatorItem = 24 };

struct Operator {
    const char* written;
    const char* checks;
};

constexpr std::array<Operator, 7> operators = {{
    {"==", "equal to the expected value"},
    {"=", "equal to the expected value (after verify:); before it, sets a parameter"},
    {"!=", "not equal to the expected value"},
    {"<", "less than the expected value"},
    {"<=", "less than or equal to the expected value"},
    {">", "greater than the expected value"},
    {">=", "greater than or equal to the expected value"},
}};

std::string recordLabel(const OutlineRecord& record) {
    return record.name + " " + std::to_string(record.position);
}

std::string fileLabel(const OutlineFile& file) {
    return std::string(file.keyword()) + " " +
           (file.computed ? "(computed)" : "\"" + file.name + "\"");
}

Json symbol(const std::string& name, SymbolKind kind, const Json& range, const Json& selection) {
    return {{"name", name}, {"kind", kind}, {"range", range}, {"selectionRange", selection}};
}

// A record from its name (a global record: its "{") to its closing brace.
Json recordSymbol(std::string_view text, const OutlineRecord& record) {
    const bool global = record.kind == OutlineRecord::global;
    const Json name = rangeAt(text, record.line, record.column, global ? 1 : record.name.size());
    const Json whole = record.endLine > 0 ? rangeThrough(text, record.line, record.column,
                                                         record.endLine, record.endColumn)
                                          : name;
    return global ? symbol("global variables", namespaceSymbol, whole, name)
                  : symbol(recordLabel(record), functionSymbol, whole, name);
}

bool within(const Json& range, Position at) {
    return at.line == range["start"]["line"].get<int>() &&
           at.character >= range["start"]["character"].get<int>() &&
           at.character <= range["end"]["character"].get<int>();
}

Position positionIn(const Json& params) {
    const Json& position = params.at("position");
    return {position.at("line").get<int>(), position.at("character").get<int>()};
}

// The comparison operator under the cursor, if any.
const Operator* operatorAt(std::string_view text, Position at) {
    const std::string_view line = lineAt(text, at.line);
    std::size_t offset = offsetOf(text, at) - lineStart(text, at.line);
    const auto isOperator = [](char c) { return c == '=' || c == '!' || c == '<' || c == '>'; };
    if (offset < line.size() && !isOperator(line[offset]) && offset > 0) --offset;
    if (offset >= line.size() || !isOperator(line[offset])) return nullptr;
    std::size_t from = offset, to = offset;
    while (from > 0 && isOperator(line[from - 1])) --from;
    while (to < line.size() && isOperator(line[to])) ++to;
    const std::string_view written = line.substr(from, to - from);
    for (const Operator& candidate : operators)
        if (written == candidate.written) return &candidate;
    return nullptr;
}

std::string verdictText(const TestVerdict* verdict) {
    if (!verdict) return "\n\nNo verdict from ZorRun yet.";
    std::string text = "\n\nLast run: **" + verdict->verdict + "**";
    for (const FailedEntry& entry : verdict->failures) text += "\n- " + failureText(entry);
    if (!verdict->message.empty()) text += "\n- " + verdict->message;
    return text;
}

// Among the script's test records of its name, from 1, as ZorRun counts them.
int ordinalOf(const ScriptOutline& outline, const OutlineRecord& record) {
    int ordinal = 0;
    for (const OutlineRecord& other : outline.records) {
        if (other.kind == OutlineRecord::test && other.name == record.name) ++ordinal;
        if (&other == &record) break;
    }
    return ordinal;
}

// ZorRun's list of failed tests names only failures: a test it does not name
// may have passed or not run.
std::string lastFailedText(const LastFailed& failed, const ScriptOutline& outline,
                           const OutlineRecord& record) {
    if (hasFailed(failed, record.name, ordinalOf(outline, record), record.position))
        return "\n\nLast ZorRun run: **failed**";
    if (failed.scriptErrored) return "\n\nLast ZorRun run: the script ended with an **error**";
    return verdictText(nullptr);
}

Json markdown(const std::string& value, const Json& range) {
    return {{"contents", {{"kind", "markdown"}, {"value", value}}}, {"range", range}};
}

}  // namespace

Json Server::documentSymbol(const Json& params) {
    const Document& document = documentOf(params);
    const ScriptOutline& current = outlineOf(params["textDocument"]["uri"]);
    Json symbols = Json::array();
    for (const OutlineRecord& record : current.records)
        symbols.push_back(recordSymbol(document.text, record));
    for (const OutlineFile& file : current.files) {
        const Json range = statementRange(document.text, file.line);
        symbols.push_back(symbol(fileLabel(file), fileSymbol, range, range));
    }
    return symbols;
}

Json Server::hover(const Json& params) {
    const Document& document = documentOf(params);
    const std::string uri = params["textDocument"]["uri"];
    const ScriptOutline& current = outlineOf(uri);
    const Position at = positionIn(params);
    for (const OutlineRecord& record : current.records) {
        if (record.kind == OutlineRecord::global) continue;
        const Json range = rangeAt(document.text, record.line, record.column, record.name.size());
        if (!within(range, at)) continue;
        const std::string heading = "**" + record.name + "** position " +
                                    std::to_string(record.position) + ", line " +
                                    std::to_string(record.line);
        const TestVerdict* verdict = findVerdict(verdictsOf(uri), record.name, record.position);
        LastFailed failed;
        if (!verdict && readLastFailed(settings.root, uriPath(uri), failed))
            return markdown(heading + lastFailedText(failed, current, record), range);
        return markdown(heading + verdictText(verdict), range);
    }
    if (const OutlineVariable* variable = variableAt(document.text, current, at)) {
        std::string value = "`(" + variable->path + ")`";
        const auto definitions = definitionsOf(current, *variable);
        if (definitions.empty())
            value += "\n\nDefined by no global record: a test function may make it.";
        for (const OutlineVariable* definition : definitions) {
            const std::string_view line = lineAt(document.text, definition->line - 1);
            const std::size_t from = std::min<std::size_t>(definition->column - 1, line.size());
            value += "\n\nline " + std::to_string(definition->line) + ": `" +
                     std::string(line.substr(from)) + "`";
        }
        return markdown(value, variableRange(document.text, *variable));
    }
    if (const Operator* found = operatorAt(document.text, at))
        return {
            {"contents",
             {{"kind", "markdown"},
              {"value", std::string("`") + found->written + "`: the result is " + found->checks}}}};
    return nullptr;
}

Json Server::completion(const Json& params) {
    const ScriptOutline& current = outlineOf(params.at("textDocument").at("uri"));
    Json items = Json::array();
    for (const char* keyword : outlineKeywords)
        items.push_back({{"label", keyword}, {"kind", keywordItem}});
    for (const Operator& entry : operators)
        items.push_back(
            {{"label", entry.written}, {"kind", operatorItem}, {"detail", entry.checks}});
    std::vector<std::string> variables;
    for (const OutlineVariable& variable : current.variables)
        if (variable.kind == OutlineVariable::definition) variables.push_back(variable.path);
    std::sort(variables.begin(), variables.end());
    variables.erase(std::unique(variables.begin(), variables.end()), variables.end());
    for (const std::string& variable : variables)
        items.push_back(
            {{"label", variable}, {"kind", variableItem}, {"detail", "global variable"}});
    if (!modulesLoaded) return items;
    ZorCall::forEachName(
        [](const char* name, void* list) {
            static_cast<Json*>(list)->push_back(
                {{"label", name}, {"kind", functionItem}, {"detail", "test function"}});
        },
        &items);
    return items;
}

Json Server::definition(const Json& params) {
    return variableLocations(params, false);
}

Json Server::references(const Json& params) {
    return variableLocations(params, true);
}

// The places of the variable under the cursor: where it is defined, or every
// place it stands (its definitions too unless the client leaves them out).
Json Server::variableLocations(const Json& params, bool everyUse) {
    const Document& document = documentOf(params);
    const std::string uri = params["textDocument"]["uri"];
    const ScriptOutline& current = outlineOf(uri);
    const OutlineVariable* variable = variableAt(document.text, current, positionIn(params));
    Json locations = Json::array();
    if (!variable) return locations;
    const auto add = [&](const OutlineVariable& place) {
        locations.push_back({{"uri", uri}, {"range", variableRange(document.text, place)}});
    };
    if (!everyUse) {
        for (const OutlineVariable* definition : definitionsOf(current, *variable))
            add(*definition);
        return locations;
    }
    const bool declarations =
        params.value("context", Json::object()).value("includeDeclaration", true);
    const std::string key = variableKey(variable->path);
    for (const OutlineVariable& other : current.variables) {
        if (other.kind == OutlineVariable::definition && !declarations) continue;
        if (variableKey(other.path) == key) add(other);
    }
    return locations;
}

Json Server::codeLens(const Json& params) {
    const Document& document = documentOf(params);
    const std::string uri = params["textDocument"]["uri"];
    const ScriptOutline& current = outlineOf(uri);
    Json lenses = Json::array();
    for (const OutlineRecord& record : current.records) {
        if (record.kind == OutlineRecord::global) continue;
        lenses.push_back(
            {{"range", rangeAt(document.text, record.line, record.column, record.name.size())},
             {"command",
              {{"title", "Run " + recordLabel(record)},
               {"command", "zor.runTest"},
               {"arguments", {uri, record.line - 1}}}}});
    }
    lenses.push_back(
        {{"range", rangeAt(document.text, 1, 1, 0)},
         {"command",
          {{"title", "Run script"}, {"command", "zor.runScript"}, {"arguments", {uri}}}}});
    return lenses;
}

}  // namespace zorlsp
