// The library's one shared file object: it reads the script and writes the
// output file of a run, and receives the data store's messages.
#pragma once

class AdaptIO;

namespace zor {

// Built on first use and never destroyed, so that records of hosts that are
// destroyed late (static objects) can still report through it safely.
AdaptIO& sharedIO();

}  // namespace zor
