#include "ScannerSupport.h"

#include "Grammar.hpp"
#include "script/ScanState.h"
#include "script/Scanner.h"
#include "script/ScriptEngine.h"

namespace scantest {

namespace {

std::string show(int kind) {
    const std::string value = zor::scanState().tokenValue.text;
    switch (kind) {
        case TOK_YYEOF:
            return "";
        case TOK_IDENT:
            return "IDENT " + value;
        case TOK_INTEGER:
            return "INTEGER " + value;
        case TOK_FLOAT:
            return "FLOAT " + value;
        case TOK_STRING:
            return "STRING " + value;
        case TOK_OTHER:
            return "OTHER " + std::string(zor::tokenText());
        default:
            return zor::tokenText();
    }
}

}  // namespace

ScanSession::ScanSession(const std::string& script) {
    const std::string path = dir.file("script.txt");
    zortest::writeFile(path, script);
    io.openIn(path.c_str());
    zor::scanRestart(io);
}

ScanSession::~ScanSession() {
    zor::scanRelease();
    io.closeIn();
}

std::string ScanSession::next() {
    return show(zor::nextToken());
}

std::vector<std::string> ScanSession::rest() {
    std::vector<std::string> tokens;
    for (std::string token = next(); !token.empty(); token = next()) tokens.push_back(token);
    return tokens;
}

std::vector<std::string> tokensOf(const std::string& script) {
    return ScanSession(script).rest();
}

}  // namespace scantest
