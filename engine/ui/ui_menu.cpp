#include "engine/ui/ui_menu.h"

#include "engine/core/text_helpers.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/menu_event.h"

namespace {
PageDrawnHook g_page_drawn_hook = nullptr;
}  // namespace

void set_page_drawn_hook(PageDrawnHook hook) { g_page_drawn_hook = hook; }

UiMenu::UiMenu(SpriteGroup* group) : group_(group) {}

UiMenu::UiMenu(SpriteGroup* group, std::u16string_view def_path) : group_(group) {
    load_def(def_path);
    load_check_sprites();
}

std::unique_ptr<UiMenu> UiMenu::from_text(SpriteGroup* group, std::string_view def_text) {
    std::unique_ptr<UiMenu> menu(new UiMenu(group));
    menu->load_def_text(def_text);
    menu->load_check_sprites();
    return menu;
}

UiMenu::~UiMenu() {
    release();
    pages_.clear();  // controls point at fonts and variables: they go first
}

void UiMenu::load_check_sprites() {
    drop_sprite(check_sprite_);
    drop_sprite(radio_sprite_);
    check_sprite_ = load_menu_sprite(u"ui\\ui_check.spr");
    radio_sprite_ = load_menu_sprite(u"ui\\ui_radio.spr");
    if (UiPage* page = current()) page->activate();
}

void UiMenu::release() {
    drop_sprite(check_sprite_);
    drop_sprite(radio_sprite_);
    if (UiPage* page = current()) page->deactivate();
}

UiPage* UiMenu::current() const {
    if (current_page_ < 0 || size_t(current_page_) >= pages_.size()) return nullptr;
    return pages_[size_t(current_page_)].get();
}

UiPage* UiMenu::add_page(std::u16string name) {
    pages_.push_back(std::make_unique<UiPage>(this, std::move(name)));
    return pages_.back().get();
}

void UiMenu::draw() {
    if (!group_) return;
    group_->clear();
    if (UiPage* page = current()) page->draw(*group_);
    if (g_page_drawn_hook) g_page_drawn_hook();
}

int32_t UiMenu::handle_event(int32_t kind, int32_t param, std::u16string* out) {
    UiPage* page = current();
    if (!page) return kMenuNotHandled;
    std::u16string scratch;
    if (!out) out = &scratch;
    int32_t result = page->handle_event(kind, param, out);
    if (result != kMenuCommand) return result;
    if (!out->empty() && (*out)[0] == u'*') return result;
    show_page(*out);
    return result;
}

int32_t UiMenu::find_page(std::u16string_view name) const {
    for (size_t i = 0; i < pages_.size(); ++i)
        if (equals_ignore_case(pages_[i]->name(), name)) return int32_t(i);
    return -1;
}

void UiMenu::show_page(std::u16string_view name) {
    int32_t index = find_page(name);
    if (index < 0 || index == current_page_) return;
    if (UiPage* page = current()) page->deactivate();
    current_page_ = index;
    pages_[size_t(index)]->activate();
}

void UiMenu::focus_first() {
    if (UiPage* page = current()) page->focus_first();
}

UiControl* UiMenu::find_control(std::u16string_view name) const {
    for (auto& page : pages_)
        if (UiControl* control = page->find_control(name)) return control;
    return nullptr;
}

MenuVar* UiMenu::find_var(std::u16string_view name) const {
    for (const MenuVar& var : variables_)
        if (equals_ignore_case(var.name, name)) return const_cast<MenuVar*>(&var);
    return nullptr;
}

MenuVar* UiMenu::add_var(MenuVar var) {
    variables_.push_back(std::move(var));
    return &variables_.back();
}

int32_t UiMenu::get_var(std::u16string_view name) const { return cell_value(find_var(name)); }

int32_t UiMenu::set_var(std::u16string_view name, int32_t value) {
    MenuVar* var = find_var(name);
    if (!var) {
        add_var({std::u16string(name), false, value, {}});
        return 0;
    }
    int32_t old = cell_value(var);
    cell_write(var, value);
    return old;
}

MenuVar* UiMenu::bind_var(std::u16string_view name) {
    if (MenuVar* var = find_var(name)) return var;
    return add_var({std::u16string(name), false, 0, {}});
}

MenuFont* UiMenu::get_font(std::u16string_view name) {
    for (auto& font : fonts_)
        if (equals_ignore_case(font->name(), name)) return font.get();
    fonts_.push_back(std::make_unique<MenuFont>(name));
    return fonts_.back().get();
}
