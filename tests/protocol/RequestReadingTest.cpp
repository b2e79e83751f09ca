// What the server makes of a request's names.
#include <gtest/gtest.h>

#include "protocol/RequestReading.h"

using remote::localInputName;

// Only the last component counts, so a script never lands outside the
// server's folder.
TEST(RequestReadingTest, AScriptIsStoredUnderTheLastComponentOfItsName) {
    EXPECT_EQ(localInputName("in.txt"), "in.txt");
    EXPECT_EQ(localInputName("../../etc/in2.txt"), "in2.txt");
    EXPECT_EQ(localInputName("C:\\tests\\order.txt"), "order.txt");
    EXPECT_EQ(localInputName("folder/"), "in.txt");
    EXPECT_EQ(localInputName(".."), "in.txt");
    EXPECT_EQ(localInputName(""), "in.txt");
}
