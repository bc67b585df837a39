#include "engine/ui/text_effects.h"

#include <algorithm>

#include "engine/graphics/sprite.h"

TextEffects::TextEffects() {
    attach_text_effect_symbols(effects_);
    effects_.load(u"texteffect\\texteffects.ini");
    anim_file_.load(u"texteffect\\textanims.ini");
}

TextEffects::~TextEffects() {
    for (TextAnim* anim : anims_) delete anim;  // the sprites go with the group
    anims_.clear();
}

TextAnim* TextEffects::create(const char* name, const std::u16string& text, int32_t x, int32_t y, int32_t alpha,
                              bool delete_when_done, bool start_now, int32_t wrap_width) {
    auto* anim = new TextAnim(anim_file_, effects_, name, text, alpha, true, wrap_width, *this, next_depth_++);
    if (delete_when_done) anim->flags |= TextAnim::kDeleteWhenDone;
    anim->x = x;
    anim->y = y;
    if (start_now) {
        anim->place(x, y);
        anim->next_phase(0);
    }
    anims_.push_back(anim);
    return anim;
}

TextAnim* TextEffects::create_echo(const char* name, const std::u16string& text, int32_t x, int32_t y,
                                   int32_t alpha) {
    auto* anim = new TextAnim(anim_file_, effects_, name, text, alpha, false, 0, *this, next_depth_++);
    anim->flags |= TextAnim::kDeleteWhenDone;
    anim->place(x, y);
    for (TextLetter& l : anim->letters) l.sprite->set_alpha(std::clamp(alpha, 0, 32));
    anims_.push_back(anim);
    return anim;
}

void TextEffects::spawn_echo(TextAnim& parent) {
    // The first echo keeps the target alpha; each later one is dimmer by
    // the decrement once for every echo before it.
    const int64_t reduced = int64_t(parent.target_alpha) - int64_t(parent.fx.echo_decalpha) * parent.echoes_made;
    ++parent.echoes_made;
    --parent.echoes_left;
    const int32_t alpha = int32_t(std::clamp<int64_t>(reduced, 0, 32));
    const std::string effect = parent.current_effect();
    TextAnim* echo = create_echo(effect.c_str(), parent.text, parent.x, parent.y, alpha);
    echo->echo_parent = &parent;
    parent.echo_anims.push_back(echo);
}

int32_t TextEffects::update() {
    ++frame_counter_;
    // Index by index: removing keeps the index, echoes are appended.
    for (size_t i = 0; i < anims_.size();) {
        TextAnim* anim = anims_[i];
        if (anim->phase < 0) {
            ++i;
            continue;
        }
        if (anim->echoes_left > 0 && frame_counter_ % std::max(anim->fx.echo_wait, 1) == 0) spawn_echo(*anim);
        if (anim->update() != 0) {
            ++i;
            continue;
        }
        if (anim->flags & TextAnim::kDeleteWhenDone) {
            remove(anim);  // its echoes come after it: index i is the next one
        } else {
            anim->phase = -1;
            ++i;
        }
    }
    return anims_.empty() ? 0 : 1;
}

void TextEffects::remove(TextAnim* anim) {
    auto it = std::find(anims_.begin(), anims_.end(), anim);
    if (it == anims_.end()) return;
    anims_.erase(it);
    if (anim->echo_parent) std::erase(anim->echo_parent->echo_anims, anim);
    const std::vector<TextAnim*> echoes = std::move(anim->echo_anims);
    for (TextAnim* echo : echoes) remove(echo);
    anim->remove_sprites(*this);
    invalidate();
    delete anim;
}

void TextEffects::remove_all() {
    while (!anims_.empty()) remove(anims_.back());
}
