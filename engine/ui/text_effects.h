// The sprite group of animated texts (combat messages, damage numbers):
// it reads the effect and animation documents once, owns the running
// TextAnims and steps them every frame. An animation ends when all its
// sprites have faded out; echoes are faded copies spawned behind a parent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/files/ini_file.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/text_anim.h"

class TextEffects : public SpriteGroup {
public:
    // Reads "texteffect\texteffects.ini" and "texteffect\textanims.ini"
    // (a missing file reads as empty).
    TextEffects();
    ~TextEffects() override;

    // A new animation of the textanims section `name`, its sprites off
    // screen; with start_now it starts at once at x, y. wrap_width breaks a
    // whole-text animation's lines (0: no wrapping).
    TextAnim* create(const char* name, const std::u16string& text, int32_t x, int32_t y, int32_t alpha,
                     bool delete_when_done, bool start_now, int32_t wrap_width);
    // A faded copy placed around x, y and never stepped; removed with its
    // parent.
    TextAnim* create_echo(const char* name, const std::u16string& text, int32_t x, int32_t y, int32_t alpha);
    // One frame of every started animation; 1 while any animation is kept.
    int32_t update();
    void remove(TextAnim* anim);
    void remove_all();

    const std::vector<TextAnim*>& animations() const { return anims_; }
    IniFile& effects() { return effects_; }
    IniFile& anims() { return anim_file_; }

private:
    void spawn_echo(TextAnim& parent);

    IniFile effects_;
    IniFile anim_file_;
    std::vector<TextAnim*> anims_;
    int32_t frame_counter_ = 0;
    int32_t next_depth_ = 1000;
};
