#include "store/StoreMessage.h"

#include "run/AdaptIO.h"
#include "run/SharedIO.h"

namespace zor {

void storeMessage(const char* text, const char* detail) {
    AdaptIO& io = sharedIO();
    io << "\r\n" << (text ? text : "");
    if (detail) io << detail;
    io << "\r\n";
}

}  // namespace zor
