// The program's notices (engine/core/program_end.h) become message boxes of
// the platform that is set, and are not shown at all without one.
#include <gtest/gtest.h>

#include "engine/core/program_end.h"
#include "engine/platform/headless/headless_platform.h"
#include "engine/platform/platform.h"

namespace {

TEST(Notice, ShownAsAMessageBoxOfTheSetPlatformInItsStyle) {
    struct Row {
        NoticeStyle style;
        uint32_t box_style;
    };
    for (const Row& row : {Row{NoticeStyle::plain, kMessageBoxOk}, Row{NoticeStyle::warning, kMessageBoxExclamation}}) {
        HeadlessPlatform host;
        set_platform(&host);
        EXPECT_TRUE(show_notice("Memory full!", "caption", row.style));
        set_platform(nullptr);
        ASSERT_EQ(host.message_boxes().size(), 1u);
        EXPECT_EQ(host.message_boxes()[0].text, "Memory full!");
        EXPECT_EQ(host.message_boxes()[0].caption, "caption");
        EXPECT_EQ(host.message_boxes()[0].style, row.box_style);
    }
}

TEST(Notice, NotShownWithoutAPlatform) {
    set_platform(nullptr);
    EXPECT_FALSE(show_notice("lost", "caption", NoticeStyle::warning));
}

}  // namespace
