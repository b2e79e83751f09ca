// Where ZorServer stores a received script.
#include <gtest/gtest.h>

#include "ServerProtocol.h"

using zorserver::localInputName;

// Only the last component counts, so a script never lands outside the
// server's folder.
TEST(ServerProtocolTest, AScriptIsStoredUnderTheLastComponentOfItsName) {
    EXPECT_EQ(localInputName("in.txt"), "in.txt");
    EXPECT_EQ(localInputName("../../etc/in2.txt"), "in2.txt");
    EXPECT_EQ(localInputName("C:\\tests\\order.txt"), "order.txt");
    EXPECT_EQ(localInputName("folder/"), "in.txt");
    EXPECT_EQ(localInputName(".."), "in.txt");
    EXPECT_EQ(localInputName(""), "in.txt");
}
