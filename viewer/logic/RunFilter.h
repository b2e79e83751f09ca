// The filter that makes a run execute one selected test.
#pragma once

#include <string>
#include <string_view>

namespace viewer {

// The run driver refuses longer filters, and the selection is read up to this length.
constexpr int filterLimit = 255;

// The selected text up to its first line break, then "0" and the selection's
// start in decimal ("t1" at 57 gives "t1057"): the library then runs the test
// record whose name begins the filter and that starts at that position. The
// name is cut so that the whole filter stays within filterLimit. An empty
// selection gives the empty filter, which runs every test.
std::string buildFilter(std::string_view selection, int start);

}  // namespace viewer
