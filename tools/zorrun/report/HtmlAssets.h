// The report page's template, style and script, kept as files in html/ and
// built into the program, so that the page it writes needs nothing beside it.
#pragma once

#include <string_view>

namespace zorrun::html {

std::string_view reportTemplate();
std::string_view reportStyle();
std::string_view reportScript();

}  // namespace zorrun::html
