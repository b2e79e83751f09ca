#include "run/SharedIO.h"

#include <new>

#include "run/AdaptIO.h"

namespace zor {

AdaptIO& sharedIO() {
    alignas(AdaptIO) static unsigned char storage[sizeof(AdaptIO)];
    static AdaptIO* shared = new (storage) AdaptIO;
    return *shared;
}

}  // namespace zor
