#include "DisplayProbe.h"

#include <cstdlib>
#include <string_view>

#ifdef ZOR_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace viewer {

namespace {

// Qt tries the names of the list in order, each perhaps with ":options".
// Offscreen and the like show no box that anyone could answer, and exec() on
// one would wait for ever.
bool platformNamesX(std::string_view list) {
    while (!list.empty()) {
        const std::size_t end = list.find(';');
        const std::string_view entry = list.substr(0, end);
        if (entry.substr(0, entry.find(':')) == "xcb") return true;
        if (end == std::string_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return false;
}

// The same handshake, authorisation included, that Qt's plugin makes.
bool xServerAnswers() {
#ifdef ZOR_HAVE_XCB
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
#else
    return false;
#endif
}

}  // namespace

bool displayAnswers() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && platform[0] && !platformNamesX(platform)) return false;
    return xServerAnswers();
}

}  // namespace viewer
