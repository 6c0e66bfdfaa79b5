#include "stickdata/lineassembler.h"

#include "tests/support/qtprinters.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

constexpr auto kDropped = "(dropped)";

// Hands `received` over one character at a time; gives the lines finished,
// and kDropped where a line was dropped.
QStringList take(LineAssembler &assembler, const QString &received)
{
    QStringList lines;
    for (QChar character : received) {
        const LineAssembler::Taken taken = assembler.take(character);
        if (taken.dropped)
            lines.append(kDropped);
        if (taken.line)
            lines.append(*taken.line);
    }
    return lines;
}

TEST(LineAssembler, ALineFeedEndsALineWithoutItsCarriageReturnAndTheControlCharactersBelow31)
{
    LineAssembler assembler;
    EXPECT_EQ(take(assembler, QStringLiteral("A0 5\r")), QStringList());
    EXPECT_EQ(take(assembler, QStringLiteral("\n")), QStringList{"A0 5"});
    EXPECT_EQ(take(assembler, QStringLiteral("\n")), QStringList{""}) << "a line feed alone ends an empty line";

    EXPECT_EQ(take(assembler, QString::fromLatin1("\x1F\x1E\t\x00\x7F\xE9 \n", 8)),
              QStringList{QString::fromLatin1("\x1F\x7F\xE9 ")});
}

TEST(LineAssembler, DropsALineOverTheLimitUpToItsLineFeedAndKeepsTheNextWhole)
{
    LineAssembler assembler;
    const QString longest(LineAssembler::kMaxLineLength, u'2');
    const QString tooLong(LineAssembler::kMaxLineLength + 1, u'3');
    EXPECT_EQ(take(assembler, longest + "\n" + tooLong + "\nA0 7\n"), (QStringList{longest, kDropped, "A0 7"}));

    EXPECT_EQ(take(assembler, "A0 " + QString(5000, u'1') + "JOYSTICK\nA1 8\n"), (QStringList{kDropped, "A1 8"}))
        << "nothing of a cut-off line comes through, and its drop is told once";
}

// A clear is for a connection lost in the middle of a line: its start must
// not be left in front of the next connection's first line.
TEST(LineAssembler, APortChangeEndsADropButKeepsTheLineUnderWayAndAClearForgetsBoth)
{
    LineAssembler assembler;
    take(assembler, QString(5000, u'1'));
    assembler.portChanged();
    EXPECT_EQ(take(assembler, QStringLiteral("JOYSTICK\n")), QStringList{"JOYSTICK"});

    take(assembler, QStringLiteral("A0 "));
    assembler.portChanged();
    EXPECT_EQ(take(assembler, QStringLiteral("5\n")), QStringList{"A0 5"});

    take(assembler, QStringLiteral("A1 3"));
    assembler.clear();
    EXPECT_EQ(take(assembler, QStringLiteral("A0 512\n")), QStringList{"A0 512"});

    take(assembler, QString(5000, u'1'));
    assembler.clear();
    EXPECT_EQ(take(assembler, QStringLiteral("A0 7\n")), QStringList{"A0 7"}) << "a drop under way ends too";
}

} // namespace
