#include "tests/support/qtprinters.h"
#include "window/shortenedtext.h"

#include <gtest/gtest.h>

TEST(ShortenedText, LongWordsLoseTheirMiddleAndTheRestStays)
{
    EXPECT_EQ(shortenLongWords("COM1 (/dev/ttyACM0): busy", 12), "COM1 (/dev…ACM0): busy");
    const QString path = "/dev/serial/by-id/" + QString(600, 'x') + "-if00";
    const QString shown = shortenLongWords("COM1 (" + path + "): busy");
    EXPECT_EQ(shown.size(), 5 + 60 + 5) << "the path with its brackets in 60 characters";
    EXPECT_TRUE(shown.startsWith("COM1 (/dev/serial/by-id/x") && shown.endsWith("x-if00): busy"))
        << shown.toStdString();
    // A character outside the Basic Multilingual Plane at either cut is dropped, never halved.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(shortenLongWords("ab" + emoji + "cdefgh" + emoji + "ijk", 8), "ab…ijk");
}
