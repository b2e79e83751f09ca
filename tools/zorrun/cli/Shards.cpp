#include "Shards.h"

#include <algorithm>
#include <numeric>

namespace zorrun {

std::vector<std::string> shardScripts(const std::vector<std::string>& scripts, int index,
                                      int count) {
    std::vector<std::size_t> order(scripts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return scripts[a] < scripts[b]; });
    std::vector<bool> owned(scripts.size(), false);
    for (std::size_t place = static_cast<std::size_t>(index); place < order.size();
         place += static_cast<std::size_t>(count))
        owned[order[place]] = true;
    std::vector<std::string> chosen;
    for (std::size_t i = 0; i < scripts.size(); ++i)
        if (owned[i]) chosen.push_back(scripts[i]);
    return chosen;
}

}  // namespace zorrun
