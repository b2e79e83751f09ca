#include "script/NumberValues.h"

#include "script/ErrorReport.h"
#include "script/Numbers.h"
#include "script/ScanState.h"

namespace zor {

namespace {

int check(NumberError error, const ScriptText& token) {
    if (error == NumberError::none) return 0;
    const ScanState& scan = scanState();
    const char* message =
        error == NumberError::malformed ? "malformed number" : "number out of range";
    return failActionAt(message, token.text, scan.numberLine, scan.numberPos);
}

}  // namespace

int integerValue(const ScriptText& token, std::int32_t& value) {
    return check(convertInteger(token.text, value), token);
}

int floatValue(const ScriptText& token, double& value) {
    return check(convertFloat(token.text, value), token);
}

}  // namespace zor
