#include "game/screens/story_state.h"

#include <cstdio>

#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/font.h"
#include "engine/pictures/sprite_flags.h"
#include "engine/ui/game_key.h"
#include "engine/ui/menu_event.h"
#include "game/session/game.h"
#include "game/session/state_helpers.h"

namespace {

// Centred in the group both ways.
constexpr int32_t kCentred = 0x22;
constexpr uint32_t kFadingSprite = ALPHA_LAYER | ALPHA_AUTO;
constexpr int32_t kThoughtAlpha = 28;

struct PrefixedStyle {
    char letter;
    StoryPageStyle style;
};

// kind, background, lines, top, bottom, left, right, centred, font
constexpr PrefixedStyle kPrefixedStyles[] = {
    {'B', {1, u"talk/bookbg.spr", 12, 22, 30, 30, 20, false, u"font1", 32, 2}},
    {'T', {2, u"talk/thoughtbg.spr", 3, 13, 14, 27, 25, true, u"font1", kThoughtAlpha, 2}},
    {'S', {4, u"talk/minibg.spr", 3, 10, 10, 10, 10, true, u"font1", 32, 2}},
    {'C', {5, u"talk/compbg.spr", 12, 22, 30, 30, 20, true, u"comp", 32, 2}},
    {'M', {6, u"talk/mainbg.spr", 12, 22, 30, 30, 20, true, u"font1", 32, 2}},
};

bool turns_page(uint32_t game_key) { return game_key == kKeyAction || game_key == kKeyButton1; }

}  // namespace

StoryPageStyle story_page_style(std::string_view text) {
    if (text.size() >= 2 && text[0] == '#')
        for (const PrefixedStyle& p : kPrefixedStyles)
            if (text[1] == p.letter) return p.style;
    return StoryPageStyle{};
}

StoryState::StoryState() = default;
StoryState::~StoryState() = default;

void StoryState::enter(ScreenArgument argument) {
    bind_context();
    leaving_ = false;
    position_ = 0;
    pages_shown_ = 0;
    const std::string* text = argument.pointer<const std::string>();
    if (!text || text->empty()) {
        std::fprintf(stderr, "tarrowind: a story page without text\n");
        game->switch_state(kWalkingScreen, 0);
        return;
    }
    style_ = story_page_style(*text);
    text_ = text->substr(style_.prefix);
    font_ = std::make_unique<Font>();
    font_->load(style_.font);
    choose_background();
    show_page();
}

void StoryState::choose_background() {
    Layer& layer = *game->first_layer();
    group_ = new SpriteGroup;
    layer.add_at(group_, 0, 0, layer.size().width, layer.size().height, kGroupDepth);
    group_->set_size(layer.size().width, layer.size().height);
    background_ = group_->create_sprite(style_.background, 0, 0, 0, 0, 0, 0);
    background_->set_aligned_position(kCentred, 0, 0);
    group_->set_all_flags(kFadingSprite);
    group_->set_alpha(0);
}

void StoryState::show_page() {
    if (page_) group_->remove_sprite(page_);
    page_ = nullptr;

    std::string page = text_.substr(size_t(position_));
    size_t next = 0;
    if (split_text_at_line(page.data(), style_.lines, next) && position_ + next < text_.size())
        position_ += int32_t(next);
    else
        position_ = -1;  // the last page; a break that ends the text opens no blank page after it

    const int32_t width = background_->frame_width;
    const int32_t height = background_->frame_height;
    page_ = font_->render_text_ascii(page.data(), width - style_.left - style_.right, 0, 0, kTextPlain, kAlignLeft,
                                     -1, 0);
    Point at{background_->x + style_.left, background_->y + style_.top};
    if (style_.centred) {
        at.x += (width - style_.left - page_->frame_width - style_.right) / 2;
        at.y += (height - style_.top - page_->frame_height - style_.bottom) / 2;
    }
    group_->add_sprite(page_, at.x, at.y, 0, 0, 0, 0);
    ++pages_shown_;
    // Every page fades in afresh.
    group_->set_all_flags(kFadingSprite);
    group_->set_alpha(0);
}

void StoryState::leave() {
    if (group_ && game && game->first_layer()) game->first_layer()->remove(group_);
    group_ = nullptr;
    background_ = page_ = nullptr;
    if (font_) font_->release();
    font_.reset();
}

void StoryState::animate() {
    if (!group_) return;
    if (!leaving_) {
        if (group_->group_alpha() < style_.full_alpha) group_->add_alpha(1);
    } else if (group_->add_alpha(-1) == 0) {
        game->switch_state(kWalkingScreen, 0);
    }
}

void StoryState::turn_page() {
    if (!group_ || leaving_) return;
    if (position_ < 0) leaving_ = true;
    else show_page();
}

void StoryState::on_key(int kind, uint32_t game_key, uint32_t) {
    if (kind == kKeyPress && turns_page(game_key)) turn_page();
}

void StoryState::on_pointer(int kind, int32_t, int32_t) {
    if (kind == kPenDown) turn_page();
}
