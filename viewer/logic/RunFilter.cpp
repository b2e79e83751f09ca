#include "RunFilter.h"

#include <algorithm>
#include <charconv>

namespace viewer {

std::string buildFilter(std::string_view selection, int start) {
    if (selection.empty()) return {};
    char digits[16];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, std::max(start, 0));
    const std::string_view position(digits, static_cast<size_t>(end - digits));

    std::string_view name = selection.substr(0, selection.find_first_of("\r\n"));
    name = name.substr(0, filterLimit - 1 - position.size());
    std::string filter(name);
    filter += '0';
    filter += position;
    return filter;
}

}  // namespace viewer
