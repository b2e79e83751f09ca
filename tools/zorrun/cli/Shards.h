// Spreading a suite over CI jobs: each job runs the scripts its shard owns.
#pragma once

#include <string>
#include <vector>

namespace zorrun {

// The scripts of shard index of count: of the sorted paths, each whose place
// i has i mod count = index. They keep the command line's order.
std::vector<std::string> shardScripts(const std::vector<std::string>& scripts, int index,
                                      int count);

}  // namespace zorrun
