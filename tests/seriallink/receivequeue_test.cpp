#include "seriallink/receivequeue.h"
#include "tests/support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

// Reads of any length, between appends, take the bytes once each and in
// order, Latin-1 as received; a delivery raises one event per character
// read until fewer than its threshold wait.
TEST(ReceiveQueue, ReadsOfAnyLengthTakeEveryByteOnceInOrderAndDeliveryReadsDownToItsThreshold)
{
    ReceiveQueue queue;
    queue.append("ab\xe9");
    EXPECT_EQ(queue.read(1), "a");
    queue.append("de");
    EXPECT_EQ(queue.read(2), QString::fromLatin1("b\xe9"));
    EXPECT_EQ(queue.read(1), "d");
    queue.append("\xff"
                 "f");
    EXPECT_EQ(queue.read(0), QString::fromLatin1("e\xff"
                                                 "f"));
    EXPECT_EQ(queue.read(0), "");
    EXPECT_EQ(queue.read(1), "");
    queue.append("g");
    EXPECT_EQ(queue.read(5), "g");

    queue.append("xyz");
    QString seen;
    queue.deliver(
        2, [] { return true; }, [&] { seen += queue.read(1); });
    EXPECT_EQ(seen, "xy") << "one byte is left, below the threshold";
    queue.append("w");
    queue.deliver(
        1, [] { return true; }, [&] { seen += queue.read(1); });
    EXPECT_EQ(seen, "xyzw");
}

} // namespace
