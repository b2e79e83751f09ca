#include "Diagnostics.h"

#include <algorithm>

#include "Positions.h"

namespace zorlsp {

Json rangeAt(std::string_view text, int line, int column, std::size_t length) {
    const int clientLine = std::max(line - 1, 0);
    const std::string_view lineText = lineAt(text, clientLine);
    const std::size_t from = std::min<std::size_t>(std::max(column - 1, 0), lineText.size());
    const std::size_t to = std::min(from + length, lineText.size());
    const int start = utf16Length(lineText.substr(0, from));
    const int end = start + utf16Length(lineText.substr(from, to - from));
    return {{"start", {{"line", clientLine}, {"character", start}}},
            {"end", {{"line", clientLine}, {"character", end}}}};
}

Json rangeThrough(std::string_view text, int line, int column, int endLine, int endColumn) {
    return {{"start", rangeAt(text, line, column, 0)["start"]},
            {"end", rangeAt(text, endLine, endColumn, 1)["end"]}};
}

Json statementRange(std::string_view text, int line) {
    const std::string_view lineText = lineAt(text, line - 1);
    const std::size_t first = std::min(lineText.find_first_not_of(" \t"), lineText.size());
    return rangeAt(text, line, static_cast<int>(first) + 1, lineText.size() - first);
}

Json diagnostic(Json range, Severity severity, const std::string& message) {
    return {{"range", std::move(range)},
            {"severity", severity},
            {"source", "zor"},
            {"message", message}};
}

Json errorDiagnostic(std::string_view text, const ScriptOutline& outline) {
    std::string message = outline.errorText;
    if (!message.empty() && message.back() == '\n') message.pop_back();
    // The token the error stands at is marked when the line still holds it there.
    const std::string_view lineText = lineAt(text, std::max(outline.errorLine - 1, 0));
    const std::size_t from = static_cast<std::size_t>(std::max(outline.errorColumn - 1, 0));
    const std::string& token = outline.errorToken;
    const bool tokenThere =
        !token.empty() && lineText.substr(std::min(from, lineText.size())).starts_with(token);
    return diagnostic(
        rangeAt(text, outline.errorLine, outline.errorColumn, tokenThere ? token.size() : 0), error,
        message);
}

void addUnknownFunctions(std::string_view text, const ScriptOutline& outline,
                         const std::function<bool(const std::string&)>& registered,
                         Json& diagnostics) {
    for (const OutlineRecord& record : outline.records) {
        if (record.kind != OutlineRecord::test || registered(record.name)) continue;
        diagnostics.push_back(
            diagnostic(rangeAt(text, record.line, record.column, record.name.size()), warning,
                       "no test function " + record.name));
    }
}

void addUnusedResultFiles(std::string_view text, const ScriptOutline& outline, Json& diagnostics) {
    // Records past an error are not outlined: they may well write to it.
    if (outline.errorLine != 0) return;
    std::vector<bool> written(outline.files.size(), false);
    for (const OutlineRecord& record : outline.records)
        if (record.kind != OutlineRecord::global && record.outFile >= 0 &&
            static_cast<std::size_t>(record.outFile) < written.size())
            written[record.outFile] = true;
    for (std::size_t i = 0; i < outline.files.size(); ++i) {
        const OutlineFile& file = outline.files[i];
        if (file.kind != OutlineFile::resultFile || written[i]) continue;
        diagnostics.push_back(diagnostic(statementRange(text, file.line), warning,
                                         "no test writes to this resultfile"));
    }
}

}  // namespace zorlsp
