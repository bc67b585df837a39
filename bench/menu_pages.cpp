// Menu pages: reading and activating the demo menu, reading and laying out a
// page of 40 controls, and drawing a page of 15 controls of every kind.
// Menus redraw after every answered event, so a draw must stay a small share
// of the 10-12 ms tick.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/resource_caches.h"
#include "engine/ui/ui_menu.h"

namespace {

struct DemoData {
    DemoData() {
        set_program_folder(std::u16string(u"" NIMBREL_DEMO_DATA_DIR));
        g_file_system = new FileSystem;
        create_resource_caches();
        group.set_size(240, 320);
    }
    ~DemoData() {
        group.clear();
        destroy_resource_caches();
        delete g_file_system;
        g_file_system = nullptr;
    }
    SpriteGroup group;
};

const char* const kEveryKind =
    "<CONST vol=3 flag=1 mode=1 pick=1>\n"
    "<PAGE NAME=all IMG=menus/demo_bg.bmp>\n"
    "<TEXT TITLE=\"A heading over\\ntwo lines\">\n"
    "<RULER>\n"
    "<BUTTON TITLE=First PAGE=*ONE>\n"
    "<BUTTON TITLE=Second PAGE=*TWO>\n"
    "<CHECK VAR=flag TITLE=Toggle FOCUS=ui/focus.spr>\n"
    "<CHECK VAR=pick VALUE=0 IMG=ui\\ui_radio.spr TITLE=Zero>\n"
    "<CHECK VAR=pick VALUE=1 IMG=ui\\ui_radio.spr TITLE=One>\n"
    "<CHECK VAR=mode STATENUM=3 IMG=ui/states.spr TITLE=States>\n"
    "<SLIDER SPR=ui/slider.spr VAR=vol PAGE=*VOL>\n"
    "<SELECTLINE VAR=pick VALUE=0 TITLE=Line>\n"
    "<SELECTION VAR=pick TITLE=Choose>\n"
    "<OPTION TITLE=a VALUE=0>\n<OPTION TITLE=b VALUE=1>\n"
    "<BITMAP SPR=ui/gem.spr PAGE=*GEM>\n"
    "<BITMAP SPR=ui/button.spr PAGE=*OK>\n"
    "<TEXT TITLE=Footer Y=-20>\n"
    "<EMPTY PAGE=*E X=0 Y=0 WIDTH=20 HEIGHT=20>\n";

std::string forty_controls() {
    std::string text = "<PAGE NAME=long>\n";
    const char* const kinds[] = {"<BUTTON TITLE=Button PAGE=*B>\n", "<CHECK VAR=c TITLE=Check>\n",
                                 "<TEXT TITLE=\"Some words here\">\n", "<BITMAP SPR=ui/gem.spr>\n"};
    for (int i = 0; i < 40; ++i) text += kinds[i % 4];
    return text;
}

void BM_DemoMenuLoadAndActivate(benchmark::State& state) {
    DemoData data;
    for (auto _ : state) {
        UiMenu menu(&data.group, u"menus\\demo.def");
        benchmark::DoNotOptimize(menu.page_count());
    }
}

void BM_FortyControlPageLoadAndLayout(benchmark::State& state) {
    DemoData data;
    const std::string text = forty_controls();
    for (auto _ : state) {
        auto menu = UiMenu::from_text(&data.group, text);
        menu->draw();
    }
    data.group.clear();
}

void BM_DrawEveryKindPage(benchmark::State& state) {
    DemoData data;
    {
        auto menu = UiMenu::from_text(&data.group, kEveryKind);
        menu->focus_first();
        for (auto _ : state) menu->draw();
    }
    data.group.clear();
}

}  // namespace

BENCHMARK(BM_DemoMenuLoadAndActivate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FortyControlPageLoadAndLayout)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawEveryKindPage)->Unit(benchmark::kMicrosecond);
