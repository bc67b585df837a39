// The page the level-up and the stats screens share ("menus/level/level.def"):
// the hero's values and the pictures of the worn armour and shield, in two
// sprite groups over the map that fade in and out together. While it is
// built the game knows a page covers the whole map.
//
// The game's display is 240 x 320, so the page fills the screen and no cover
// pictures are needed at its sides.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/geometry.h"
#include "game/screens/menu_screen.h"

class Game;
class HeroActor;
class Sprite;
class SpriteGroup;

class HeroSheetPage {
public:
    static constexpr uint32_t kPageDepth = 1009;
    static constexpr uint32_t kPictureDepth = 1017;
    static constexpr int32_t kOpaque = 32;

    HeroSheetPage() = default;
    HeroSheetPage(const HeroSheetPage&) = delete;
    HeroSheetPage& operator=(const HeroSheetPage&) = delete;

    // Puts the page and picture groups on the game's map layer, loads the
    // page, and marks the game as showing a full-screen page.
    void build(Game& game);
    // Takes everything off again, purges the caches when memory is short and
    // clears the game's mark. Safe to call when nothing is built.
    void remove();
    bool built() const { return page_.get() != nullptr; }

    // Writes the hero's values into the page's controls ("HTH" and "EXP" as
    // two numbers joined by `pair_separator`), places the pictures of the
    // worn gear (once) and redraws the page.
    void fill(const HeroActor& hero, std::string_view pair_separator);
    // Sets one control's text; the next fill or redraw shows it.
    void set_text(std::u16string_view control, std::string_view text);
    void redraw();

    // Both groups start see-through; the fade moves both by `step`.
    void start_transparent();
    void fade(int32_t step);
    // The page's sprites fully shown at once.
    void show_opaque();
    int32_t alpha() const;

    // The command of the page's button under a screen point ("" for none).
    std::u16string button_at(Point screen) const;

    UiMenu* menu() const { return page_.get(); }
    // The group of the gear pictures, where the level-up action plays.
    SpriteGroup* pictures() const { return pictures_; }

private:
    void place_gear(const HeroActor& hero);

    Game* game_ = nullptr;
    MenuPage page_;
    SpriteGroup* pictures_ = nullptr;
    Sprite* armour_ = nullptr;
    Sprite* shield_ = nullptr;
};

// "%d<separator>%d".
std::string number_pair(int32_t first, int32_t second, std::string_view separator);
