#include "common/GbText.h"

#include <gtest/gtest.h>

namespace {

TEST(GbText, WidthCountsChineseAsTwoBytes) {
    EXPECT_EQ(gb::width(QStringLiteral("abc")), 3);
    EXPECT_EQ(gb::width(QStringLiteral("王小东")), 6);
    EXPECT_EQ(gb::width(QStringLiteral("迟到12分钟")), 10);
    EXPECT_EQ(gb::encode(QStringLiteral("王小东")).size(), 6);
    EXPECT_EQ(gb::decode(gb::encode(QStringLiteral("迟到早退"))), QStringLiteral("迟到早退"));
}

TEST(GbText, CutAndAlign) {
    struct Case {
        const char* text;
        int n;
        const char* cut;
        const char* right;
    };
    const Case cases[] = {
        {"abc", 5, "abc", "  abc"},
        {"abcdefghij", 8, "abcdefgh", "abcdefgh"},
        {"王小东", 8, "王小东", "  王小东"},
        {"欧阳小东明", 8, "欧阳小东", "欧阳小东"},
        {"欧阳小东明", 9, "欧阳小东 ", "欧阳小东 "}, // 9th byte is half of 明
        {"a王", 2, "a ", "a "},
        {"", 4, "", "    "},
    };
    for (const auto& c : cases) {
        const QString t = QString::fromUtf8(c.text);
        EXPECT_EQ(gb::cut(t, c.n), QString::fromUtf8(c.cut)) << c.text << " " << c.n;
        EXPECT_EQ(gb::rightAlign(t, c.n), QString::fromUtf8(c.right)) << c.text << " " << c.n;
        EXPECT_EQ(gb::width(gb::rightAlign(t, c.n)), c.n);
    }
}

TEST(GbText, BytesMidTakesBytePositions) {
    const QString line = QStringLiteral("01   王小东  迟到5分钟");
    EXPECT_EQ(gb::bytesMid(line, 4, 11).trimmed(), QStringLiteral("王小东"));
    EXPECT_EQ(gb::bytesMid(QStringLiteral("王小东"), 2, 5), QStringLiteral(" 小 "));
}

} // namespace
