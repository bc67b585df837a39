// "Story": a story text shown page by page over a background that the
// text's two-character prefix chooses (a book, a thought bubble, a story
// panel, a small note, a computer screen or a main panel). Each page fades
// in on the animation tick; the action key, the first button or a tap turns
// the page, and after the last one the screen fades out to "Walking".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "game/session/game_screen_state.h"

class Font;
class Sprite;
class SpriteGroup;

// How one kind of story page looks.
struct StoryPageStyle {
    int32_t kind = 3;
    const char16_t* background = u"talk/storybg.spr";
    int32_t lines = 15;
    int32_t top = 20, bottom = 20, left = 20, right = 20;
    bool centred = false;
    const char16_t* font = u"font1";
    int32_t full_alpha = 32;  // the alpha a page fades in to
    size_t prefix = 0;        // bytes of the text the prefix takes
};

// The style a text's prefix ("#B", "#T", "#S", "#C", "#M") chooses; any
// other text, a "#" with another letter included, is a story panel and is
// shown whole.
StoryPageStyle story_page_style(std::string_view text);

class StoryState : public GameScreenState {
public:
    static constexpr uint32_t kGroupDepth = 500;

    StoryState();
    ~StoryState() override;

    // The argument points at the narrow text (a std::string); it is copied.
    void enter(ScreenArgument argument) override;
    void leave() override;
    void animate() override;
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override;
    void on_pointer(int kind, int32_t x, int32_t y) override;

    // What tests look at.
    const StoryPageStyle& style() const { return style_; }
    const std::string& text() const { return text_; }
    // Offset of the next page in the text; -1 once the last page shows.
    int32_t position() const { return position_; }
    bool leaving() const { return leaving_; }
    SpriteGroup* group() const { return group_; }
    Sprite* background() const { return background_; }
    Sprite* page() const { return page_; }
    int32_t pages_shown() const { return pages_shown_; }

private:
    void choose_background();
    void show_page();
    void turn_page();

    StoryPageStyle style_;
    std::unique_ptr<Font> font_;
    std::string text_;
    int32_t position_ = 0;
    int32_t pages_shown_ = 0;
    bool leaving_ = false;
    SpriteGroup* group_ = nullptr;
    Sprite* background_ = nullptr;
    Sprite* page_ = nullptr;
};
