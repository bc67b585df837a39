// The menus' view of a font: load by name, pick one of its two looks
// (glyph frames), render a text into a new sprite.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class Font;
class Sprite;

class MenuFont {
public:
    explicit MenuFont(std::u16string_view name);
    ~MenuFont();
    MenuFont(const MenuFont&) = delete;
    MenuFont& operator=(const MenuFont&) = delete;

    const std::u16string& name() const { return name_; }
    // Selects the glyph frame (0 or 1) for the next render.
    void set_frame(int32_t frame);
    // align: 0 left, 1 centred, 2 justified. A new sprite the caller owns.
    Sprite* render(std::u16string_view text, int32_t max_width, int32_t colourise, uint32_t colour,
                   int32_t align);

private:
    std::u16string name_;
    std::unique_ptr<Font> font_;
    int32_t frame_ = 0;
};
