#include "DeviceFunctions.h"

#include "ZorLib.h"

namespace zorserver {

namespace {

int inputInt(const char* name) {
    return static_cast<int>(Parse::getInStore()[0][name]);
}

void reportState() {
    DataMap& out = Parse::getOutStore();
    out["text"] = device().text().c_str();
    out["pressed"] = device().pressed().c_str();
    out["status"] = device().status().c_str();
}

// The picture goes with every reply; asking for it changes nothing.
void onGraphic() {
    reportState();
}

void buttonPress() {
    device().press(inputInt("x"), inputInt("y"), inputInt("button"));
    reportState();
}

void keyPress() {
    const char* name = static_cast<char*>(Parse::getInStore()[0]["key"]);
    device().key(name ? name : "");
    reportState();
}

ZorCall graphicRegistration("ongraphic", onGraphic);
ZorCall buttonRegistration("buttonpress", buttonPress);
ZorCall keyRegistration("keypress", keyPress);

}  // namespace

DevicePanel& device() {
    static DevicePanel panel;
    return panel;
}

}  // namespace zorserver
