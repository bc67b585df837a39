#include "game/screens/talking_state.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/text_helpers.h"
#include "engine/graphics/fade_layer.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/graphics/sprite_list.h"
#include "engine/pictures/font.h"
#include "engine/pictures/sprite_flags.h"
#include "engine/ui/game_key.h"
#include "engine/ui/menu_event.h"
#include "game/map_view/npc_sprite_composer.h"
#include "game/screens/action_executor.h"
#include "game/session/game.h"
#include "game/session/state_helpers.h"
#include "game/session/story_module.h"
#include "game/story/flag_record.h"
#include "game/story/npc_record.h"
#include "game/world/action.h"
#include "game/world/hero_actor.h"
#include "game/world/npc_actor.h"
#include "game/world/world.h"

namespace {

constexpr const char* kHeroName = "Tolvanek";
constexpr uint32_t kFadeIn = ALPHA_LAYER | ALPHA_AUTO;
constexpr int32_t kTextDepth = 20;
constexpr int32_t kFaceDepth = 10;
constexpr int32_t kHighlightWidth = 204;
constexpr uint32_t kHighlightMode = 0x8200;  // neither follows the layer's size nor its scroll
constexpr uint16_t kHighlightColor = 0xFE8B;  // warm gold, half strength
constexpr Size kBubbleArea{240, 200};
constexpr int32_t kBubbleWidth = 220;    // "talk/talkbg.spr"
constexpr Point kPortraitAt{7, 0};       // its x is also the margin kept around it
constexpr int32_t kPersonLabelX = 70;

bool is_level_change(uint16_t code) { return code >= kTalkActStairs && code <= kTalkActChangeLevelByFlag; }

// The text a topic shows when it is chosen: its answer, else its plain reply.
const std::string& topic_text(const NpcTopic& topic) {
    return topic.chosen_reply.empty() ? topic.reply : topic.chosen_reply;
}

}  // namespace

bool action_ends_conversation(uint16_t code) {
    switch (code) {
    // Screens after which the conversation does not go on.
    case kTalkActShop: case kTalkActSleep: case kTalkActRestore: case kTalkActEnding1: case kTalkActEnding2:
    case kTalkActEnding3: case kTalkActStats:
    // Story pages return to the map, a new conversation replaces this one,
    // scripted walks, waits and camera moves run on the map.
    case kTalkActStory: case kTalkActTalk: case kTalkActWalkTo: case kTalkActWait:
    case kTalkActWalkNpc: case kTalkActCameraFocus: case kTalkActCameraRelease:
    // Level changes: the fade must end under the walking screen.
    case kTalkActStairs: case kTalkActChangeLevel: case kTalkActChangeLevelByFlag:
        return true;
    default:
        return false;
    }
}

std::function<void(Game&, const Action&)>& TalkingState::action_runner() {
    static std::function<void(Game&, const Action&)> runner = [](Game& game, const Action& action) {
        run_action(game, action);
    };
    return runner;
}

TalkingState::PortraitBuilder& TalkingState::portrait_builder() {
    static PortraitBuilder builder = build_npc_head;
    return builder;
}

TalkingState::TalkingState() = default;

TalkingState::~TalkingState() {
    // A session that ends while the conversation waits for a screen never
    // closes it: the group deletes the portrait's sprites, the list is ours.
    delete portrait_list_;
    delete font_;
}

Layer* TalkingState::map_layer() const { return game ? game->first_layer() : nullptr; }

Font& TalkingState::font() {
    if (!font_) {
        // The talk font named by "gfx.ini".
        const std::string& name = game->module()->gfx.genfont;
        font_ = new Font;
        font_->load(utf8_to_utf16(name.empty() ? "genfont" : name));
    }
    return *font_;
}

Sprite* TalkingState::render_text(const std::string& text) {
    std::string copy = text;
    return font().render_text_ascii(copy.data(), kTextWidth, 0, 0, kTextPlain, kAlignLeft, -1, 0);
}

// --- entering and leaving -------------------------------------------------

void TalkingState::enter(ScreenArgument argument) {
    if (!full_enter_) {
        // Back from a screen one of the topic's actions opened.
        if (bubble_) {
            bubble_->set_visible(true);
            bubble_->invalidate();
        }
        return;
    }
    bind_context();
    game->update();
    speaker_ = kPersonSpeaks;
    text_.clear();
    closing_ = false;
    page_start_ = 0;
    npc_ = argument.pointer<NpcRecord>();
    actor_ = nullptr;
    if (npc_)
        for (const auto& actor : world->npc_actors)
            if (actor->record().get() == npc_ && actor->level_id == world->current_level_id()) {
                actor_ = actor.get();
                break;
            }

    const ExpressionTest holds = [this](const Expression& e) { return e.holds(*world); };
    if (npc_) topic_menu_ = build_topic_menu(*npc_, *world, "[main]", holds, {});
    // Nothing to say, or more than one opening: no conversation.
    if (!npc_ || topic_menu_.size() != 1) {
        topic_menu_.clear();
        game->switch_state(kWalkingScreen, 0);
        return;
    }
    const NpcTopic& topic = *topic_menu_.front().topics.front();
    if (topic.hide_flag)
        if (FlagRecord* seen = world->get_flag(topic.hide_flag)) seen->value = 1;
    topic_ = &topic;
    text_ = topic_text(topic);
    game->hud.set_texts_hidden(true);
    load_backgrounds(actor_ ? actor_->x : 0, actor_ ? actor_->y : 0);
    show_speaker(kPersonSpeaks);
    hero_face_ = bubble_->create_bitmap_sprite(u"talk\\heroface.bmp", 144, 0, kFaceDepth);
    hero_face_->set_flags(ALPHA_LAYER);
    hero_face_->set_alpha(0);
    const auto& face = npc_->face;
    face_parts_[kPartExtra] = face[kFaceExtra];
    face_parts_[kPartHair] = face[kFaceHair];
    face_parts_[kPartClothes] = face[kFaceClothes];
    face_parts_[kPartNose] = face[kFaceNose];
    face_parts_[kPartMouth] = face[kFaceMouth];
    face_parts_[kPartEyebrow] = face[kFaceEyebrow];
    face_parts_[kPartEyes] = face[kFaceEyes];
    face_parts_[kPartTatoo] = face[kFaceTatoo];
    face_parts_[kPartHead] = face[kFaceHead];
    bubble_->set_all_flags(ALPHA_LAYER | ALPHA_AUTO);
    bubble_->set_alpha(0);
    for (Sprite* own_fade : {background_, pointer_, hero_face_}) own_fade->clear_flags(ALPHA_AUTO);
    build_portrait();
    layout_text();
}

void TalkingState::leave() {
    // A screen opened by one of the topic's actions comes back here.
    if (!full_enter_) return;
    close_down();
}

void TalkingState::close_down() {
    if (game) game->hud.set_texts_hidden(false);
    text_.clear();
    topic_menu_.clear();
    reply_menu_.clear();
    reply_count_ = 0;
    topic_ = nullptr;
    npc_ = nullptr;
    actor_ = nullptr;
    if (Layer* layer = map_layer()) {
        // Deleting the group deletes every sprite in it, the portrait too.
        if (portrait_list_ && bubble_) bubble_->remove_list(portrait_list_);
        if (highlight_) layer->remove(highlight_);
        if (bubble_) layer->remove(bubble_);
    }
    portrait_list_ = nullptr;
    highlight_ = nullptr;
    bubble_ = nullptr;
    background_ = pointer_ = portrait_ = hero_face_ = speaker_label_ = page_sprite_ = nullptr;
    reply_sprites_.fill(nullptr);
}

// --- the bubble -------------------------------------------------------------

Rect TalkingState::bubble_area() const {
    if (!bubble_ || !bubble_->is_visible()) return {};
    const Point at = bubble_->position();
    Rect area;
    for (const Sprite* part : {background_, pointer_, portrait_})
        if (part) area = area.unite(part->bounds(-at.x, -at.y));
    return area;
}

void TalkingState::load_backgrounds(int32_t x, int32_t y) {
    if (x == 0 && y == 0) {
        // No speaker on the map: the point in front of the hero.
        const HeroActor& h = game->hero();
        static constexpr Point kAhead[] = {{-32, 0}, {0, -32}, {32, 0}, {0, 32}};
        const Point ahead = kAhead[std::clamp(h.facing / 10, 0, 3)];
        x = h.x + ahead.x;
        y = h.y + ahead.y;
    }
    Layer* layer = map_layer();
    bubble_ = new SpriteGroup;
    layer->add_at(bubble_, 0, 0, kBubbleArea.width, kBubbleArea.height, kBubbleDepth);
    bubble_->set_size(kBubbleArea.width, kBubbleArea.height);
    highlight_ = new FadeLayer;
    highlight_->set_flags(kHighlightMode);
    layer->add_at(highlight_, 0, 0, 0, 0, kHighlightDepth);
    highlight_->set_color(kHighlightColor);
    highlight_->set_level(16);
    background_ = bubble_->create_sprite(u"talk\\talkbg.spr", 0, 24, 0, 0, 0, 0);
    background_->make_private();

    const Point scroll = game->ground_group() ? game->ground_group()->offset() : Point{0, 0};
    const int32_t sx = x - scroll.x, sy = y - scroll.y;
    const int32_t width = layer->size().width, height = layer->size().height;
    int32_t top = 0;
    int32_t pointer_y = 0;
    const char16_t* pointer_name = nullptr;
    if (sy >= height / 2) {
        top = std::max(sy - 140, 43);
        pointer_name = u"talk\\talkbg2.spr";
        pointer_y = 166;
    } else {
        top = std::max(0, std::min(height - 130, sy + 50));
        pointer_name = u"talk\\talkbg2b.spr";
        pointer_y = 32;
    }
    int32_t left = (width - 220) / 2;
    if (sx < left + 25) left = sx >= 35 ? sx - 25 : 10;
    if (sx > left + 195) left = std::min(width - 230, sx - 195);
    const int32_t pointer_x = std::clamp(sx - left, 25, 195) + 10;
    pointer_ = bubble_->create_sprite(pointer_name, pointer_x, pointer_y, 1, 0, 0, 0);
    bubble_->set_position(left, top - 44);
}

void TalkingState::show_speaker(int32_t who) {
    remove_sprite(speaker_label_);
    const bool person = who == kPersonSpeaks;
    speaker_label_ = render_text(person ? npc_->name : kHeroName);
    if (speaker_label_)
        bubble_->add_sprite(speaker_label_, person ? person_label_x() : 100, 50, kTextDepth, 0, kFadeIn, 0);
    speaker_ = who;
}

int32_t TalkingState::person_label_x() const {
    // A portrait wider than its 63 pixels before the name would reach under
    // the name: the name moves right to keep the portrait's own margin from
    // it, as long as it still ends that margin inside the bubble.
    if (!portrait_ || !speaker_label_) return kPersonLabelX;
    const int32_t clear = kPortraitAt.x + portrait_->frame_width + kPortraitAt.x;
    const int32_t last = kBubbleWidth - kPortraitAt.x - speaker_label_->frame_width;
    return std::max(kPersonLabelX, std::min(clear, last));
}

void TalkingState::layout_text() {
    remove_sprite(page_sprite_);
    if (page_start_ < 0 || size_t(page_start_) > text_.size()) {
        page_start_ = -1;
        return;
    }
    char* page = text_.data() + page_start_;
    // Wrapping writes its line breaks into the copy, so that the page is cut
    // at the lines as they are shown.
    delete font().render_text_ascii(page, kTextWidth, 0, 0, kTextPlain, kAlignLeft, -1, 1);
    size_t next = 0;
    const bool more = split_text_at_line(page, kLinesPerPage, next) != 0;
    page_start_ = more ? page_start_ + int32_t(next) : -1;
    page_sprite_ = font().render_text_ascii(page, kTextWidth, 0, 0, kTextPlain, kAlignLeft, -1, 0);
    if (!page_sprite_) return;
    bubble_->add_sprite(page_sprite_, 10, 69, kTextDepth, 0, kFadeIn, 0);
    page_sprite_->set_alpha(0);
}

void TalkingState::remove_sprite(Sprite*& sprite) {
    if (sprite && bubble_) bubble_->remove_sprite(sprite);
    sprite = nullptr;
}

void TalkingState::remove_replies() {
    for (int32_t i = 0; i < reply_count_; ++i) remove_sprite(reply_sprites_[size_t(i)]);
    reply_count_ = 0;
}

void TalkingState::rebuild_menu() {
    const ExpressionTest holds = [this](const Expression& e) { return e.holds(*world); };
    reply_menu_ = build_topic_menu(*npc_, *world, topic_->request, holds, {});
    if (reply_menu_.empty()) {
        closing_ = true;
        return;
    }
    show_speaker(kHeroChooses);
    remove_sprite(page_sprite_);
    remove_replies();
    // The bubble has room for ten replies; the rest are left out.
    if (reply_menu_.size() > size_t(kMaxReplies)) reply_menu_.resize(size_t(kMaxReplies));
    int32_t y = 65;
    for (const TopicMenuEntry& entry : reply_menu_) {
        Sprite* label = render_text(entry.label);
        const size_t i = size_t(reply_count_++);
        reply_sprites_[i] = label;
        reply_tops_[i] = y;
        if (!label) continue;
        bubble_->add_sprite(label, 12, y + 1, kTextDepth, 0, kFadeIn, 0);
        label->set_alpha(0);
        y += label->frame_height + 5;
    }
    selected_ = 0;
    const Point at = bubble_->position();
    highlight_->set_position(at.x + 10, at.y + reply_tops_[0]);
    highlight_->set_size(kHighlightWidth, (reply_sprites_[0] ? reply_sprites_[0]->frame_height : 0) + 4);
}

void TalkingState::build_portrait() {
    if (!bubble_) return;
    if (portrait_list_) bubble_->remove_list(portrait_list_);
    portrait_list_ = nullptr;
    portrait_ = nullptr;
    if (!portrait_builder()) return;
    // The parts run from extra to head; the layers are composed head first.
    FaceLayers face{};
    for (size_t i = 0; i < face.size(); ++i) face[i] = uint8_t(face_parts_[size_t(kPartHead) - i]);
    portrait_list_ = portrait_builder()(*bubble_, kPortraitAt.x, kPortraitAt.y, face);
    if (!portrait_list_ || portrait_list_->count() == 0) return;
    portrait_list_->clear_flags(ALPHA_AUTO);
    portrait_list_->set_flags(ALPHA_LAYER);
    portrait_list_->set_alpha(0);
    portrait_ = portrait_list_->sprite(0);
    if (speaker_label_ && speaker_ == kPersonSpeaks)
        speaker_label_->set_position(person_label_x(), Sprite::KEEP, Sprite::KEEP);
}

void TalkingState::set_face_part(int32_t part, int32_t value) {
    if (part < kPartExtra || part > kPartHead) return;
    face_parts_[size_t(part)] = value;
    build_portrait();
}

// --- ticks ------------------------------------------------------------------

void TalkingState::update() {
    if (!bubble_) return;
    if (speaker_ == kActionsRun) {
        run_next_action();
        return;
    }
    if (closing_) {
        fade_out();
        return;
    }
    fade_in();
    if (speaker_ == kHeroChooses) slide_highlight();
}

void TalkingState::run_next_action() {
    ActionQueue& queue = game->actions();
    if (queue.empty()) {
        // The actions are done: the replies follow, or, with none, the
        // bubble's fade, which runs only once no action is awaited.
        full_enter_ = true;
        speaker_ = kPersonSpeaks;
        rebuild_menu();
        return;
    }
    const uint16_t code = queue.peek()->code;
    full_enter_ = action_ends_conversation(code);
    const std::shared_ptr<Action> action = queue.pop();
    if (action_runner()) action_runner()(*game, *action);
    else std::fprintf(stderr, "tarrowind: no action executor; action %03X skipped\n", unsigned(code));
    // A level change stays on this screen: the bubble closes, and the fade's
    // end is handed to the walking screen once it is back.
    if (game->current_state() == this && is_level_change(code)) {
        speaker_ = kPersonSpeaks;
        closing_ = true;
    }
}

void TalkingState::fade_out() {
    const int32_t before = bubble_->group_alpha();
    bubble_->add_alpha(-1);
    if (bubble_->group_alpha() == before) {
        game->switch_state(kWalkingScreen, 0);
        return;
    }
    const int32_t shade = bubble_->group_alpha() * 9 / 10;
    background_->set_alpha(shade);
    pointer_->set_alpha(shade);
    if (portrait_list_) portrait_list_->add_alpha(-1);
    hero_face_->add_alpha(-1);
}

void TalkingState::fade_in() {
    const int32_t before = bubble_->group_alpha();
    bubble_->add_alpha(1);
    if (bubble_->group_alpha() != before) {
        const int32_t shade = bubble_->group_alpha() * 9 / 10;
        background_->set_alpha(shade);
        pointer_->set_alpha(shade);
    }
    const int32_t person = speaker_ == kPersonSpeaks ? 1 : -1;
    if (portrait_list_) portrait_list_->add_alpha(person);
    hero_face_->add_alpha(-person);
}

void TalkingState::slide_highlight() {
    if (reply_count_ == 0) return;
    const Sprite* label = reply_sprites_[size_t(selected_)];
    const int32_t target_y = bubble_->position().y + reply_tops_[size_t(selected_)];
    const int32_t target_h = (label ? label->frame_height : 0) + 4;
    for (int step = 0; step < 2; ++step) {
        const Point at = highlight_->position();
        const Size size = highlight_->size();
        highlight_->set_position(at.x, at.y + std::clamp(target_y - at.y, -1, 1));
        highlight_->set_size(size.width, size.height + std::clamp(target_h - size.height, -1, 1));
    }
}

// --- input --------------------------------------------------------------------

void TalkingState::next_page_or_actions() {
    if (page_start_ >= 0) {
        layout_text();
        return;
    }
    if (topic_->actions.empty()) {
        rebuild_menu();
        return;
    }
    for (const ActionList::Entry& entry : topic_->actions.entries()) game->actions().push(entry.action);
    speaker_ = kActionsRun;
}

void TalkingState::start_topic(const NpcTopic& topic) {
    topic_ = &topic;
    page_start_ = 0;
    text_ = topic_text(topic);
    show_speaker(kPersonSpeaks);
    // Without a text the next key goes straight on to the actions or replies.
    if (text_.empty()) page_start_ = -1;
    else layout_text();
}

void TalkingState::choose_reply() {
    if (selected_ >= reply_count_) return;
    const NpcTopic* chosen = reply_menu_[size_t(selected_)].topics.front();
    remove_replies();
    highlight_->set_size(0, 0);
    start_topic(*chosen);
}

void TalkingState::move_selection(int32_t step) {
    const int32_t target_y = bubble_->position().y + reply_tops_[size_t(selected_)];
    if (highlight_->position().y != target_y) return;  // still sliding
    selected_ = std::clamp(selected_ + step, 0, reply_count_ - 1);
}

void TalkingState::on_key(int kind, uint32_t game_key, uint32_t) {
    if (kind != kKeyPress || !bubble_ || closing_) return;
    // The action key and the first button turn the page or choose the
    // reply; Up and Down move the highlight over the replies.
    const bool go_on = game_key == kKeyButton1 || game_key == kKeyAction;
    if (speaker_ == kPersonSpeaks) {
        if (go_on) next_page_or_actions();
    } else if (speaker_ == kHeroChooses) {
        if (go_on) choose_reply();
        else if (game_key == kKeyUp) move_selection(-1);
        else if (game_key == kKeyDown) move_selection(1);
    }
}

void TalkingState::on_pointer(int kind, int32_t x, int32_t y) {
    if (kind != kPenDown || !bubble_ || closing_) return;
    if (speaker_ == kPersonSpeaks) {
        next_page_or_actions();
        return;
    }
    if (speaker_ != kHeroChooses || reply_count_ == 0) return;
    if (reply_count_ == 1 || highlight_->bounds().contains({x, y})) {
        choose_reply();
        return;
    }
    const int32_t top = bubble_->position().y;
    for (int32_t i = 0; i < reply_count_; ++i) {
        const Sprite* label = reply_sprites_[size_t(i)];
        const int32_t row = top + reply_tops_[size_t(i)];
        if (label && row < y && y < row + label->frame_height) {
            selected_ = i;
            return;
        }
    }
}
