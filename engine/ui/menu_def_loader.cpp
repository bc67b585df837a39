// Building a menu's pages, controls and variables from ".def" text.
#include <string>

#include "engine/core/fatal_report.h"
#include "engine/core/memory_pool.h"
#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/files/ini_file.h"
#include "engine/ui/def_parser.h"
#include "engine/ui/ui_bitmap.h"
#include "engine/ui/ui_button.h"
#include "engine/ui/ui_check.h"
#include "engine/ui/ui_empty.h"
#include "engine/ui/ui_menu.h"
#include "engine/ui/ui_select_line.h"
#include "engine/ui/ui_selection.h"
#include "engine/ui/ui_slider.h"
#include "engine/ui/ui_text.h"

namespace {

constexpr std::u16string_view kDefaultIcon = u"ui\\ui_check.spr";

// "\n" written as two characters in a TITLE becomes a line feed.
std::u16string unescape_title(std::u16string text) {
    for (size_t at = text.find(u"\\n"); at != std::u16string::npos; at = text.find(u"\\n", at + 1))
        text.replace(at, 2, 1, u'\n');
    return text;
}

// The state carried from line to line while a file is read.
class DefReader {
public:
    explicit DefReader(UiMenu& menu) : menu_(menu) {}

    void read_line(std::u16string_view text) {
        if (parse_def_line(text, line_) == kDefNone) return;
        switch (line_.kind) {
        case kDefPage: return start_page();
        case kDefConst: return add_constants();
        case kDefOption: return add_option();
        default: break;
        }
        if (!page_) return;  // control lines before the first page
        if (UiControl* control = make_control()) apply_placement(*control);
    }

private:
    std::u16string attr(std::u16string_view name, std::u16string_view fallback = u"") const {
        return line_.get_attr_string(name, fallback);
    }
    std::optional<std::u16string> text_attr(std::u16string_view name) const { return line_.get_attr_text(name); }
    int32_t number(std::u16string_view name, int32_t fallback) const { return line_.get_attr_int(name, fallback); }
    MenuFont* font() { return menu_.get_font(attr(u"FONT", page_font_)); }
    std::u16string title() const { return unescape_title(attr(u"TITLE")); }
    MenuVar* cell() { return menu_.bind_var(attr(u"VAR")); }

    void start_page() {
        depth_ = 1;
        page_ = menu_.add_page(attr(u"NAME", u"unnamed"));
        page_->set_image(text_attr(u"IMG"));
        page_align_ = parse_align(attr(u"ALIGN", u"LEFT"));
        page_font_ = attr(u"FONT", u"font1");
        page_width_ = number(u"WIDTH", -1);
    }

    void add_constants() {
        for (const DefAttribute& a : line_.attributes) {
            MenuVar var{a.name, a.quoted, 0, {}};
            if (a.quoted)
                var.text = a.value.value_or(std::u16string());
            else if (a.value)
                var.num = parse_def_int(*a.value);
            menu_.add_var(std::move(var));
        }
    }

    void add_option() {
        if (!selection_) return;
        std::optional<std::u16string> image = text_attr(u"IMG");
        int32_t next_bitmap = image ? number(u"NextBmp", 0) : 0;
        selection_->add_option(title(), image, number(u"VALUE", 0), next_bitmap);
    }

    UiControl* make_control() {
        UiPage& page = *page_;
        switch (line_.kind) {
        case kDefEmpty: return page.add_control(std::make_unique<UiEmpty>(&page, attr(u"PAGE")));
        case kDefButton:
            return page.add_control(
                std::make_unique<UiButton>(&page, font(), title(), attr(u"PAGE"), text_attr(u"OBJNAME")));
        case kDefCheck:
            return page.add_control(std::make_unique<UiCheck>(
                &page, font(), title(), cell(), attr(u"IMG", kDefaultIcon), number(u"VALUE", -1), text_attr(u"PAGE"),
                number(u"STATENUM", -1), text_attr(u"OBJNAME"), text_attr(u"FOCUS")));
        case kDefRuler:
            return page.add_control(
                std::make_unique<UiBitmap>(&page, u"ruler.zbm", std::nullopt, std::nullopt, nullptr, std::nullopt));
        case kDefText:
            return page.add_control(std::make_unique<UiText>(&page, font(), title(), text_attr(u"OBJNAME")));
        case kDefSelectLine:
            return page.add_control(std::make_unique<UiSelectLine>(&page, font(), title(), number(u"VALUE", 0), cell(),
                                                                   attr(u"IMG", kDefaultIcon)));
        case kDefSelection: {
            auto selection = std::make_unique<UiSelection>(&page, font(), title(), cell());
            selection_ = selection.get();
            return page.add_control(std::move(selection));
        }
        case kDefBitmap: {
            std::optional<std::u16string> phase = text_attr(u"PHASE");
            MenuVar* phase_cell = phase ? menu_.bind_var(*phase) : nullptr;
            return page.add_control(std::make_unique<UiBitmap>(&page, text_attr(u"IMG"), text_attr(u"SPR"),
                                                               text_attr(u"PAGE"), phase_cell, text_attr(u"OBJNAME")));
        }
        case kDefSlider:
            return page.add_control(std::make_unique<UiSlider>(&page, font(), text_attr(u"SPR"), text_attr(u"PAGE"),
                                                               text_attr(u"OBJNAME"), cell(), text_attr(u"FOCUS")));
        default: return nullptr;
        }
    }

    void apply_placement(UiControl& control) {
        int32_t hotkey = number(u"HOTKEY", 0);
        if (hotkey & 1) page_->hotkey1 = &control;
        if (hotkey & 2) page_->hotkey2 = &control;
        std::optional<std::u16string> align = text_attr(u"ALIGN");
        control.align = align ? parse_align(*align) : page_align_;
        control.no_height = number(u"NOHEIGHT", 0);
        control.width_attr = clamp_placement(number(u"WIDTH", page_width_));
        control.height_attr = clamp_placement(number(u"HEIGHT", -1));
        control.x_attr = clamp_placement(number(u"X", -1));
        control.y_attr = clamp_placement(number(u"Y", -1));
        control.z = number(u"Z", depth_);
        depth_ = control.z == INT32_MAX ? control.z : control.z + 1;
    }

    UiMenu& menu_;
    DefLine line_;
    UiPage* page_ = nullptr;
    UiSelection* selection_ = nullptr;
    int32_t depth_ = 1;
    int32_t page_align_ = 1;
    std::u16string page_font_ = u"font1";
    int32_t page_width_ = -1;
};

}  // namespace

void UiMenu::load_def_text(std::string_view text) {
    DefReader reader(*this);
    const char* cursor = text.data();
    const char* end = text.data() + text.size();
    std::string_view line;
    while (next_text_line(cursor, end, line)) reader.read_line(narrow_to_wide_signed(line.substr(0, kMaxDefLine)));
}

void UiMenu::load_def(std::u16string_view path) {
    const std::optional<std::vector<uint8_t>> bytes = read_game_file(path);
    if (!bytes) fatal_missing_file(path);
    load_def_text(as_text(*bytes));
}
