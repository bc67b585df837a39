// One running text animation: a text rendered with a font, either as one
// sprite or as one sprite per letter, moved, turned, zoomed and faded every
// frame through up to three timed phases, each with its own effect. A
// TextEffects group creates, steps and removes them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/memory_pool.h"
#include "engine/pictures/font.h"
#include "engine/ui/text_effect_params.h"

class IniFile;
class Sprite;
class SpriteGroup;

// Per-sprite state of the effects.
struct TextLetter {
    Sprite* sprite = nullptr;
    Sprite* echo = nullptr;  // pristine copy: source of pixel effects, mirrored companion
    int32_t base_x = 0, base_y = 0;
    int32_t alpha = 0, alpha_dir = 1, alpha_wait = 0, alpha_ticks = 0, alpha_repeats = 0;
    bool alpha_from_one = false;
    int32_t typewriter = 0;
    int32_t angle = 0, rotation_wait = 0, rotation_repeats = 0;
    int32_t zoom = 1024, zoom_dir = 1, zoom_wait = 0, zoom_pause = 0, zoom_repeats = 0;
    int32_t move_wait = 0, move_repeats = 0;
    int32_t wave_angle = 0, amplitude = 0;
    int32_t radius = 0, radius_angle = 0;
    int32_t pixel_wait = 0, pixel_phase = 0, pixel_repeats = 0;
    int32_t jitter = 0, jitter_dir = 1;
};

class TextAnim : public PoolObject {
public:
    static constexpr uint32_t kShowing = 1;
    static constexpr uint32_t kDeleteWhenDone = 4;

    // Reads the textanims section and renders the text into sprites that
    // join the group at (0, -100). Echo sprites are made for every letter.
    TextAnim(IniFile& anims, IniFile& effects, const char* name, const std::u16string& text, int32_t alpha,
             bool with_echoes, int32_t wrap_width, SpriteGroup& group, int32_t depth);
    ~TextAnim();
    TextAnim(const TextAnim&) = delete;
    TextAnim& operator=(const TextAnim&) = delete;

    // Places the sprites around x, y (the letters centred on x).
    void place(int32_t x, int32_t y);
    // Phase p with its effect; phases 0..2 with a time load their effect.
    void next_phase(int32_t p);
    void start_phase(int32_t x, int32_t y);
    // One frame; 0 when the animation has finished.
    int32_t update();
    // Removes every sprite from the group.
    void remove_sprites(SpriteGroup& group);

    // The section name of the current effect (for echoes).
    const std::string& current_effect() const;

    std::u16string text;
    Font font;
    int32_t extra_char_dist = 0;
    struct Phase {
        int32_t time = 0;
        std::string effect = "none";
    } phases[3];
    int32_t phase = -1;  // -1 not started or finished, 0..2, 3 ending
    int32_t frame = 0;
    TextEffectParams fx;
    int32_t target_alpha = 32;
    int32_t x = 0, y = 0;
    uint32_t flags = 0;
    int32_t echoes_left = 0;
    int32_t echoes_made = 0;
    int32_t divider = 1;
    std::vector<TextLetter> letters;  // per letter, or one for the whole text
    // One sprite for the whole text (chosen by effect1); each phase still
    // reads its flags by its own effect's kind.
    bool whole_text = false;
    std::vector<TextAnim*> echo_anims;  // spawned echoes, removed with this
    TextAnim* echo_parent = nullptr;

private:
    void load_effect(int32_t p);
    void render_letters(const std::u16string& shown, SpriteGroup& group, int32_t depth);
    void render_whole(std::u16string shown, int32_t wrap_width, SpriteGroup& group, int32_t depth);
    int32_t letter_alpha(TextLetter& l, size_t i) const;
    void step_geometry(TextLetter& l, size_t i, bool& zoom_changed);
    void step_parabolic(size_t i);
    void step_pixel_wave(TextLetter& l);
    void step_jitter(TextLetter& l);
    void recenter_zoomed_letters();
    int32_t update_letters();
    int32_t update_whole();
    void step_whole(TextLetter& l);
    // The pristine copy a letter effect needs of the whole-text sprite.
    void add_whole_text_echo();

    IniFile& effects_;
    std::u16string whole_shown_;  // the whole text as rendered (lines broken)
    SpriteGroup* group_ = nullptr;
    int32_t depth_ = 0;
};
