// The device's test functions, registered as "ongraphic", "buttonpress" and
// "keypress": the event records that the viewer's graphic mode writes. Each
// leaves the device's state in its output record (text, pressed, status), so
// that scripts can verify the device too.
#pragma once

#include "DevicePanel.h"

namespace zorserver {

// The one device of the process.
DevicePanel& device();

}  // namespace zorserver
