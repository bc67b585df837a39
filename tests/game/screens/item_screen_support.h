// A started game for the tests of the item screens (inventory, shop, item
// notice): the hero's items by name, the texts of the screens' controls,
// and keys and taps as the player gives them.
#pragma once

#include <string>

#include "engine/ui/ui_text.h"
#include "game/session/state_helpers.h"
#include "game/story/item_record.h"
#include "game/world/hero_actor.h"
#include "tests/game/screens/menu_screen_support.h"

class ItemScreenTest : public MenuScreenTest {
protected:
    HeroActor& hero() { return world().hero(); }

    ItemRecord& item(const std::string& name) {
        ItemRecord* found = world().get_item(world().item_id_by_name(name));
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    // The hero's new entry of the named item.
    InventoryEntry* carry(const std::string& name) {
        EXPECT_TRUE(hero().add_item(item(name).id)) << name;
        return hero().inventory.back().get();
    }
    void carry_nothing() {
        hero().armour = hero().shield = hero().current_item = nullptr;
        hero().inventory.clear();
    }
    size_t count_of(const std::string& name) {
        size_t n = 0;
        for (const auto& e : hero().inventory) n += e->item && e->item->name == name;
        return n;
    }

    // The text a control of the menu shows ("<none>" without the control).
    static std::string text(const UiMenu* menu, std::u16string_view control) {
        const UiControl* c = menu ? find_menu_control(menu, control) : nullptr;
        const auto* t = dynamic_cast<const UiText*>(c);
        return t ? utf16_to_utf8(t->title) : std::string("<none>");
    }
    // A key pressed, and the frame given a tick to follow the selection.
    void press(uint32_t game_key) {
        key(game_key);
        tick();
    }
};
