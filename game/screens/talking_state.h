// "Talking": a conversation with a person of the story. A speech bubble over
// the map near the speaker shows the person's composed portrait or the
// hero's face, the speaker's name, the topic's text page by page and then
// the hero's replies with a sliding highlight. A topic's actions go to the
// game's queue and run from here one a tick; a screen opened by one of them
// comes back to the conversation, unless the action ends it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/geometry.h"
#include "game/session/game_screen_state.h"
#include "game/world/topic_menu.h"

class FadeLayer;
class Game;
struct Action;
class Font;
class Layer;
class NpcActor;
class Sprite;
class SpriteGroup;
class SpriteList;
struct NpcRecord;
struct NpcTopic;

class TalkingState : public GameScreenState {
public:
    static constexpr int32_t kMaxReplies = 10;
    static constexpr int32_t kLinesPerPage = 7;
    static constexpr int32_t kTextWidth = 200;
    static constexpr int32_t kBubbleDepth = 1000;
    static constexpr int32_t kHighlightDepth = 1100;

    // Who the bubble shows: the person speaks, the hero chooses a reply, or
    // the topic's actions run.
    enum Speaker : int32_t { kPersonSpeaks = 0, kHeroChooses = 1, kActionsRun = 2 };

    // Portrait parts as actions name them (0 unused).
    enum PortraitPart : int32_t {
        kPartExtra = 1, kPartHair, kPartClothes, kPartNose, kPartMouth,
        kPartEyebrow, kPartEyes, kPartTatoo, kPartHead, kPortraitParts
    };

    TalkingState();
    ~TalkingState() override;

    // The argument is the NpcRecord* of the person spoken to.
    void enter(ScreenArgument argument) override;
    void leave() override;
    void update() override;
    void on_pointer(int kind, int32_t x, int32_t y) override;
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override;

    // Action 0x204: one portrait part (1 extra .. 9 head) takes a new picture
    // number and the portrait is composed again. Other parts are ignored.
    void set_face_part(int32_t part, int32_t value);

    // Carries out one story action popped from the game's queue: the action
    // executor (run_action) unless a test puts a stand-in here; emptied, the
    // action is skipped and logged.
    static std::function<void(Game&, const Action&)>& action_runner();
    // Composes a portrait from face layers in composing order (head, tatoo,
    // eyes, eyebrow, mouth, nose, clothes, hair, extra) into the group at
    // (x, y) and lists it: the people's sprite composer (build_npc_head)
    // unless a test puts a stand-in here; emptied, the bubble shows no
    // portrait.
    using FaceLayers = std::array<uint8_t, 9>;
    using PortraitBuilder = std::function<SpriteList*(SpriteGroup&, int32_t, int32_t, const FaceLayers&)>;
    static PortraitBuilder& portrait_builder();

    // --- what the conversation shows (tests and the actions read it) -------
    int32_t speaker() const { return speaker_; }
    bool closing() const { return closing_; }
    bool waits_for_screen() const { return !full_enter_; }
    int32_t page_start() const { return page_start_; }
    int32_t reply_count() const { return reply_count_; }
    int32_t selected_reply() const { return selected_; }
    const NpcTopic* current_topic() const { return topic_; }
    SpriteGroup* bubble() const { return bubble_; }
    Sprite* page_sprite() const { return page_sprite_; }
    Sprite* pointer_sprite() const { return pointer_; }
    Sprite* portrait() const { return portrait_; }
    Sprite* speaker_label() const { return speaker_label_; }
    Sprite* reply_sprite(int32_t i) const { return reply_sprites_[size_t(i)]; }
    FadeLayer* highlight() const { return highlight_; }
    // Where the bubble (its picture, pointer and portrait) stands on the
    // map layer while it is shown; empty when no bubble is.
    Rect bubble_area() const;

private:
    Layer* map_layer() const;
    Font& font();
    Sprite* render_text(const std::string& text);
    void start_topic(const NpcTopic& topic);
    void load_backgrounds(int32_t x, int32_t y);
    void show_speaker(int32_t who);
    void layout_text();
    void rebuild_menu();
    void build_portrait();
    void remove_sprite(Sprite*& sprite);
    void remove_replies();
    void next_page_or_actions();
    void choose_reply();
    void move_selection(int32_t step);
    void run_next_action();
    void fade_out();
    void fade_in();
    void slide_highlight();
    void close_down();
    int32_t person_label_x() const;

    Font* font_ = nullptr;
    SpriteGroup* bubble_ = nullptr;
    FadeLayer* highlight_ = nullptr;
    Sprite* background_ = nullptr;
    Sprite* pointer_ = nullptr;
    Sprite* portrait_ = nullptr;
    SpriteList* portrait_list_ = nullptr;
    Sprite* hero_face_ = nullptr;
    Sprite* speaker_label_ = nullptr;
    Sprite* page_sprite_ = nullptr;
    std::array<Sprite*, kMaxReplies> reply_sprites_{};
    std::array<int32_t, kMaxReplies> reply_tops_{};
    int32_t reply_count_ = 0;

    int32_t speaker_ = kPersonSpeaks;
    bool closing_ = false;
    int32_t page_start_ = 0;
    std::string text_;
    std::array<int32_t, kPortraitParts> face_parts_{};
    std::vector<TopicMenuEntry> topic_menu_;
    std::vector<TopicMenuEntry> reply_menu_;
    NpcRecord* npc_ = nullptr;
    NpcActor* actor_ = nullptr;
    const NpcTopic* topic_ = nullptr;
    int32_t selected_ = 0;
    bool full_enter_ = true;
};

// Whether an action run from a conversation ends it: the screens after which
// it does not continue, level changes (whose fade must end under the walking
// screen) and the actions that leave for the map or another conversation.
bool action_ends_conversation(uint16_t code);

// The action codes the conversation itself looks at.
enum TalkActionCode : uint16_t {
    kTalkActStory = 0x201, kTalkActShop = 0x202, kTalkActTalk = 0x203, kTalkActWalkTo = 0x205,
    kTalkActWait = 0x207, kTalkActSleep = 0x208, kTalkActRestore = 0x20A, kTalkActEnding1 = 0x20B,
    kTalkActEnding2 = 0x20C, kTalkActEnding3 = 0x20D, kTalkActStats = 0x212, kTalkActStairs = 0x401,
    kTalkActChangeLevel = 0x402, kTalkActChangeLevelByFlag = 0x403, kTalkActWalkNpc = 0x404,
    kTalkActCameraFocus = 0x405, kTalkActCameraRelease = 0x406,
};
