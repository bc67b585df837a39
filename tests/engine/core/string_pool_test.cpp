#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/core/pooled_text.h"
#include "engine/core/string_pool.h"
#include "engine/core/text_helpers.h"

namespace {

std::string padding(size_t n) { return std::string(n, 'p'); }

TEST(StringPool, FillsABlockToItsLastByteThenOpensANewOne) {
    StringPool pool;
    pool.add(padding(16371).c_str());  // 16,372 bytes used
    const char* fits = pool.add("0123456789");
    EXPECT_EQ(pool.block_count(), 1);
    EXPECT_STREQ(fits, "0123456789");

    StringPool other;
    other.add(padding(16372).c_str());  // 16,373 bytes used
    const char* spills = other.add("0123456789");
    EXPECT_EQ(other.block_count(), 2);
    EXPECT_EQ(spills, other.block(1)->text());
}

TEST(StringPool, SmallStringsGoToTheFirstBlockWithRoom) {
    StringPool pool;
    pool.add(padding(16000).c_str());
    pool.add(padding(1000).c_str());  // does not fit the first block
    const char* small = pool.add("x");
    EXPECT_EQ(small, pool.block(0)->text() + 16001);
}

TEST(StringPool, FirstFitHoldsAcrossManyBlocks) {
    StringPool pool;
    std::string nearly_full = padding(16000);
    for (int i = 0; i < 20; ++i) pool.add(nearly_full.c_str());  // 16,001 used in each
    ASSERT_EQ(pool.block_count(), 20);
    EXPECT_EQ(pool.add("x"), pool.block(0)->text() + 16001);
    // 381 characters take 382 bytes: 16,001 + 382 is below 16,384 in
    // block 1 but no longer in block 0, which holds 16,003.
    EXPECT_EQ(pool.add(padding(381).c_str()), pool.block(1)->text() + 16001);
    EXPECT_EQ(pool.add(padding(381).c_str()), pool.block(2)->text() + 16001);
    pool.add(padding(382).c_str());  // fits nowhere: a new block
    EXPECT_EQ(pool.block_count(), 21);
    EXPECT_EQ(pool.block(20)->used, 383u);
}

TEST(StringPool, AStringLargerThanABlockGetsABlockOfItsOwn) {
    StringPool pool;
    const char* first = pool.add("first");
    std::string big = padding(20000);
    const char* copy = pool.add(big.c_str());
    EXPECT_EQ(std::string(copy), big);
    EXPECT_EQ(pool.block_count(), 2);
    EXPECT_EQ(pool.block(1)->capacity, 20001u);
    // The big block is full: later strings go elsewhere, the first stays.
    const char* after = pool.add("after");
    EXPECT_EQ(after, pool.block(0)->text() + 6);
    EXPECT_STREQ(first, "first");
}

TEST(StringPool, AdoptMovesTheTextIntoTheGlobalPool) {
    string_pool_create();
    EXPECT_EQ(string_pool_adopt(nullptr), nullptr);
    const char* pooled = string_pool_adopt(dup_string("Tavern"));
    EXPECT_STREQ(pooled, "Tavern");
    EXPECT_EQ(pooled, g_string_pool->block(0)->text());
    string_pool_destroy();
    EXPECT_EQ(g_string_pool, nullptr);
}

TEST(PooledText, InternsIntoTheGlobalPoolAndPoolsNothingForEmptyTexts) {
    string_pool_create();
    const std::string big = padding(20000);
    struct Row {
        const char* text;
        int32_t blocks_after;
    } rows[] = {
        {nullptr, 0}, {"", 0}, {"Lantern", 1}, {"Lantern", 1}, {big.c_str(), 2}, {big.c_str(), 2}, {"Rope", 2},
    };
    const char* first_lantern = nullptr;
    for (const Row& row : rows) {
        const PooledText text(row.text);
        EXPECT_EQ(text, row.text ? row.text : "");
        EXPECT_EQ(text.empty(), !row.text || !*row.text);
        EXPECT_EQ(g_string_pool->block_count(), row.blocks_after) << (row.text ? row.text : "null");
        if (!text.empty()) {
            EXPECT_TRUE(g_string_pool->holds(text.c_str()));
        }
        if (text == "Lantern") {
            if (!first_lantern) first_lantern = text.c_str();
            EXPECT_EQ(text.c_str(), first_lantern);  // one copy of equal texts
        }
    }
    const PooledText dash = PooledText::literal("<");
    EXPECT_FALSE(g_string_pool->holds(dash.c_str()));
    EXPECT_EQ("x" + dash + ">", "x<>");
    string_pool_destroy();

    // Without a game's pool (tools, tests) the text is still pooled and kept.
    const PooledText outside("Marsh fire");
    EXPECT_EQ(outside.str(), "Marsh fire");
}

std::u16string duration(int32_t ms, int style) {
    char16_t buffer[32];
    format_duration(ms, buffer, style);
    return buffer;
}

TEST(TextHelpers, FormatDurationStyles) {
    EXPECT_EQ(duration(3723000, 1), u"01");
    EXPECT_EQ(duration(3723000, 2), u"01:02");
    EXPECT_EQ(duration(3723000, 3), u"01:02:03");
    EXPECT_EQ(duration(3723000, 0), u"01:02:03");
    EXPECT_EQ(duration(0, 3), u"00:00:00");
    EXPECT_EQ(duration(360000000, 3), u"100:00:00");
    EXPECT_EQ(duration(59999, 3), u"00:00:59");
}

TEST(TextHelpers, BlanksAndCapitalisation) {
    EXPECT_STREQ(skip_blanks("  \tx"), "\tx");
    char text[] = "hELLO  wide world\xe9x";
    capitalize_words(text);
    EXPECT_STREQ(text, "Hello  Wide World\xe9x");  // bytes above 0x7F untouched
}

TEST(TextHelpers, NarrowingAndWideningUseTheLowByte) {
    char16_t* wide = narrow_to_wide_dup("A\xe9");
    EXPECT_EQ(wide[0], u'A');
    EXPECT_EQ(wide[1], char16_t(0x00E9));  // zero-extended
    EXPECT_EQ(wide[2], 0);
    char16_t* copy = dup_wide_string(wide);
    EXPECT_EQ(std::u16string(copy), std::u16string(wide));
    char narrow[8];
    const char16_t units[] = {0x0141, u'b', 0};
    wide_to_narrow(units, narrow);
    EXPECT_STREQ(narrow, "\x41" "b");
    mem_free(wide);
    mem_free(copy);
}

TEST(TextHelpers, CaseFoldingTouchesAsciiOnly) {
    EXPECT_TRUE(equals_ignore_case(std::string_view("Story.TXT"), std::string_view("story.txt")));
    EXPECT_FALSE(equals_ignore_case(std::string_view("\xc9"), std::string_view("\xe9")));
    EXPECT_TRUE(equals_ignore_case(std::u16string_view(u"ABC"), std::u16string_view(u"abc")));
    EXPECT_FALSE(equals_ignore_case(std::u16string_view(u"ab"), std::u16string_view(u"abc")));
}

TEST(TextHelpers, Utf8RoundTripAndMalformedInput) {
    std::u16string text = u"gr\u00fcn \u20ac \U0001F600";
    EXPECT_EQ(utf8_to_utf16(utf16_to_utf8(text)), text);
    EXPECT_EQ(utf16_to_utf8(u"\u00e9"), "\xc3\xa9");
    EXPECT_EQ(utf8_to_utf16("a\xff" "b\xe2\x82"), u"a\ufffdb\ufffd\ufffd");
    const char16_t lone[] = {0xD800, u'x', 0};
    EXPECT_EQ(utf16_to_utf8(lone), "\xef\xbf\xbdx");
}

}  // namespace
