// A program folder for the action player's tests: action scripts written by
// the test, a fighter sprite whose hurt, return and attack animations end
// after a few frames, a group to hold sprites and the overlay, and a sound
// facade that records what it plays.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/graphics/sprite_group.h"
#include "game/effects/action_player.h"
#include "game/sound/sound_manager.h"
#include "tests/engine/pictures/graphics_files.h"
#include "tests/game/sound/recording_sound_backend.h"

class ActionPlayerTest : public ::testing::Test {
protected:
    ActionPlayerTest() {
        folder_.write("pics/fighter.bmp", plain_bmp(10, 40));
        // Each animation shows two frames and ends on the third step.
        folder_.write("fighter.spr",
                      "Stripes = 10\nbmp = \"pics/fighter.bmp\"\n"
                      "Animation = \"Attack\", 0, \"BC\"\n"
                      "Animation = \"Damage\", 0, \"BD\"\n"
                      "Animation = \"Damage1\", 0, \"CD\"\n"
                      "Animation = \"Damage4\", 0, \"DC\"\n"
                      "Animation = \"Back2\", 0, \"DB\"\n"
                      "Animation = \"Idle\", 0, \"\", \"AB\"\n");
        group_.set_size(240, 320);
        sound_log_ = std::make_shared<RecordingSoundBackend::Log>();
        sounds_ = std::make_unique<SoundManager>(std::make_unique<RecordingSoundBackend>(sound_log_));
        sounds_->read_file = [](std::u16string_view name) -> std::optional<std::vector<uint8_t>> {
            if (name == u"sfx/missing.wav") return std::nullopt;
            return std::vector<uint8_t>{'S'};
        };
        sounds_->configure(2, 256, 256);
    }

    // "actions/<name>.txt" with the section of the action and these lines.
    void script(const std::string& name, const std::string& lines) {
        folder_.write("actions/" + name + ".txt", "[" + name + "]\n" + lines);
    }
    Sprite* fighter(int32_t x = 50, int32_t y = 60) { return group_.create_sprite(u"fighter.spr", x, y, 10, 0, 0, 0); }
    // Sounds the facade has started so far.
    int sounds_played() const {
        int n = 0;
        for (const std::string& call : sound_log_->calls) n += call.rfind("play ", 0) == 0 ? 1 : 0;
        return n;
    }
    // Starts an action the way an attack does, without anchor.
    int32_t start(ActionPlayer& player, const std::string& name, Sprite* first, Sprite* second, int32_t flags = 0,
                  int32_t mode = 0, int32_t weapon_kind = ActionPlayer::kNoWeaponKind) {
        return player.load_action(name, &group_, first, second, flags, mode, weapon_kind, -1, -1);
    }

    // The same on another group, with the monster alone.
    int32_t start_on(ActionPlayer& player, SpriteGroup* group, const std::string& name, Sprite* first) {
        return player.load_action(name, group, first, nullptr, 0, 0, ActionPlayer::kNoWeaponKind, -1, -1);
    }

    ScratchFolder folder_{"actions"};
    ResourceFiles resources_{folder_.u16()};
    SpriteGroup group_;
    std::shared_ptr<RecordingSoundBackend::Log> sound_log_;
    std::unique_ptr<SoundManager> sounds_;
};
