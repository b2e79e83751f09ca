#include "ScriptFixture.h"

#include <charconv>

#include "run/Parse.h"
#include "store/DataMap.h"
#include "store/StoreEl.h"

namespace scripttest {

int ScriptFixture::passFlag = -1;
std::vector<SeenTest> ScriptFixture::seen;

namespace {

std::string showValue(const StoreEl& element) {
    switch (element.getType()) {
        case StoreEl::typeInt:
            return std::to_string(*static_cast<const int*>(element.getData()));
        case StoreEl::typeDouble: {
            char text[400] = {};
            std::to_chars(text, text + sizeof text - 1,
                          *static_cast<const double*>(element.getData()), std::chars_format::fixed,
                          6);
            return text;
        }
        default:
            return "\"" + std::string(static_cast<const char*>(element.getData())) + "\"";
    }
}

int recordTest() {
    SeenTest test;
    test.name = Parse::getInStore()[0].getName();
    test.input = elementsOf(Parse::getInStore()[0]);
    test.expected = elementsOf(Parse::getVerStore()[0]);
    test.results = elementsOf(Parse::getOutStore());
    ScriptFixture::seen.push_back(test);
    return ScriptFixture::passFlag;
}

}  // namespace

std::vector<std::string> elementsOf(const DataMap& record) {
    std::vector<std::string> elements;
    for (const StoreEl* element = record.getData(nullptr); element; element = element->getNext()) {
        elements.push_back(std::string(element->getName()) + "=" + showValue(*element));
    }
    return elements;
}

int positionOf(const std::string& script, const std::string& text) {
    const std::size_t offset = script.find(text);
    int line = 1;
    for (std::size_t i = 0; i < offset; ++i) line += script[i] == '\n';
    return Parse::adjustLine(static_cast<int>(offset), line);
}

ScriptFixture::ScriptFixture() {
    passFlag = -1;
    seen.clear();
}

ScriptFixture::~ScriptFixture() = default;

int ScriptFixture::run(const std::string& script, const std::string& filter) {
    const std::string path = write("script.txt", script);
    return Parse::parseLoop(path.c_str(), filter.c_str(), recordTest);
}

int ScriptFixture::runWithOutput(const std::string& script, const std::string& filter) {
    return run(resultfile() + script, filter);
}

int ScriptFixture::runWithoutCallback(const std::string& script) {
    const std::string path = write("script.txt", script);
    return Parse::parseLoop(path.c_str(), "", nullptr);
}

std::string ScriptFixture::write(const std::string& name, const std::string& text) const {
    const std::string path = dir.file(name);
    zortest::writeFile(path, text);
    return path;
}

std::string ScriptFixture::resultfile() const {
    return "resultfile \"" + dir.file("out.txt") + "\"\n";
}

std::string ScriptFixture::output() const {
    return zortest::readFile(dir.file("out.txt"));
}

std::string ScriptFixture::errorText() const {
    return Parse::getErrString();
}

}  // namespace scripttest
