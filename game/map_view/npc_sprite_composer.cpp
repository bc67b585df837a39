#include "game/map_view/npc_sprite_composer.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/core/text_helpers.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/graphics/sprite_list.h"
#include "engine/pictures/bitmap_cache.h"
#include "engine/pictures/resource_cache.h"
#include "engine/pictures/sprite_def.h"
#include "engine/pictures/sprite_def_cache.h"
#include "engine/pictures/sprite_flags.h"
#include "game/story/npc_record.h"

namespace {

constexpr std::array<const char*, 9> kFaceFiles = {"head", "tatoo", "eyes", "eyebrow", "mouth",
                                                   "nose", "clothes", "hair", "extra"};

// The entry `index` of a list, taken modulo its length.
const std::string& list_entry(const std::vector<std::string>& list, const char* list_name, uint32_t index) {
    static const std::string kNone;
    if (list.empty()) {
        report_resource_failure(u"gfx.ini", std::string("the list \"") + list_name + "\" of section [bitmaps] is empty");
        return kNone;
    }
    return list[index % list.size()];
}

std::u16string file_name(const char* folder, const std::string& name) {
    return utf8_to_utf16(std::string(folder) + name + ".bmp");
}

// Frames of 32 pixels, magenta see-through, also as the definition's defaults
// so that sprites sharing it start that way.
void make_walk_sheet(Sprite& sheet) {
    sheet.flags |= TRANS_COLOR;
    if (!sheet.def || !sheet.def->bitmap) return;
    sheet.def->default_flags = sheet.flags;
    sheet.def->frame_height = std::min(kWalkFrame, sheet.def->bitmap->height);
    sheet.frame_height = sheet.def->frame_height;
}

// A new sheet of w x h filled with the colour key, its whole picture one frame.
Sprite* blank_sheet(int32_t w, int32_t h) {
    auto* sheet = new Sprite;
    sheet->create_blank(w, h);
    std::fill(sheet->bitmap()->pixels.begin(), sheet->bitmap()->pixels.end(), kColorKey);
    return sheet;
}

void register_sheet(Sprite& sheet, const std::u16string& name) {
    if (!sheet.def) return;
    g_sprite_def_cache->set_name(sheet.def, name);
    g_bitmap_cache->set_name(sheet.def->bitmap, name);
}

std::u16string composed_name(const NpcAppearance& look, bool full) {
    char name[80];
    std::snprintf(name, sizeof name, "@npc@%d@%d@%d@%d", int(look.body), int(look.head), int(look.hair), full ? 1 : 0);
    return utf8_to_utf16(name);
}

bool both_caches_hold(const std::u16string& name) {
    return g_sprite_def_cache->find(name, 0) >= 0 && g_bitmap_cache->find(name, 0) >= 0;
}

Sprite* premade_sheet(const GfxConfig& gfx, int32_t premade) {
    // A premade number past the list shows the first sheet.
    const uint32_t index = premade >= 1 && size_t(premade) <= gfx.npc_premade.size() ? uint32_t(premade - 1) : 0;
    const std::string& name = list_entry(gfx.npc_premade, "npcpremade", index);
    if (name.empty()) {
        Sprite* nothing = blank_sheet(kWalkFrame, kWalkFrame * kFullSheetFrames);
        make_walk_sheet(*nothing);
        return nothing;
    }
    return Sprite::create_from_bitmap(file_name("npc/walk_full/", name), TRANS_COLOR, kWalkFrame);
}

// Body, head and hair drawn over each other into one full sheet.
Sprite* parts_sheet(const GfxConfig& gfx, const NpcAppearance& look) {
    Sprite* sheet = blank_sheet(kWalkFrame, kWalkFrame * kFullSheetFrames);
    const struct {
        int32_t index;
        const std::vector<std::string>& list;
        const char* list_name;
    } parts[] = {{look.body, gfx.npc_body, "npcbody"}, {look.head, gfx.npc_head, "npchead"}, {look.hair, gfx.npc_hair, "npchair"}};
    for (const auto& part : parts) {
        if (part.index == 0) continue;
        const std::string& name = list_entry(part.list, part.list_name, uint32_t(part.index));
        if (name.empty()) continue;
        Sprite* piece = Sprite::create_from_bitmap(file_name("npc/walk_parts/", name), TRANS_COLOR, 0);
        draw_sprite_into_sprite(sheet, piece);
        delete piece;
    }
    make_walk_sheet(*sheet);
    return sheet;
}

// The standing sheet: the middle frame of each direction's three.
Sprite* standing_sheet(Sprite* full) {
    Sprite* sheet = blank_sheet(kWalkFrame, kWalkFrame * kStandingSheetFrames);
    for (int32_t i = 0; i < kStandingSheetFrames; ++i) {
        full->set_phase(1 + 3 * i);
        full->x = 0;
        full->y = kWalkFrame * i;
        draw_sprite_into_sprite(sheet, full);
    }
    delete full;
    make_walk_sheet(*sheet);
    return sheet;
}

}  // namespace

Sprite* build_npc_walk_sprite(const GfxConfig& gfx, const NpcAppearance& look) {
    if (look.premade != 0 || (look.body == 0 && look.head == 0 && look.hair == 0)) {
        Sprite* sheet = premade_sheet(gfx, look.premade);
        return look.full ? sheet : standing_sheet(sheet);
    }
    const std::u16string name = composed_name(look, look.full);
    if (both_caches_hold(name)) {
        auto* shared = new Sprite;
        shared->load(name, 0);
        return shared;
    }
    Sprite* sheet = parts_sheet(gfx, look);
    if (!look.full) sheet = standing_sheet(sheet);
    register_sheet(*sheet, name);
    return sheet;
}

NpcFace npc_face_layers(const NpcRecord& person) {
    const auto& f = person.face;
    return {f[kFaceHead], f[kFaceTatoo], f[kFaceEyes], f[kFaceEyebrow], f[kFaceMouth],
            f[kFaceNose], f[kFaceClothes], f[kFaceHair], f[kFaceExtra]};
}

std::u16string npc_face_file(const NpcFace& face, size_t layer) {
    return file_name("npc/heads/", std::string(kFaceFiles[layer]) + "_" + std::to_string(int(face[layer])));
}

SpriteList* build_npc_head(SpriteGroup& group, int32_t x, int32_t y, const NpcFace& face) {
    auto layer_file = [&](size_t i) { return npc_face_file(face, i); };
    Sprite* head = group.create_bitmap_sprite(layer_file(0), x, y, 10);
    head->make_private();
    for (size_t i = 1; i < face.size(); ++i) {
        Sprite* layer = group.create_bitmap_sprite(layer_file(i), x, y, int32_t(10 * (i + 1)));
        const Bitmap* under = head->bitmap();
        const Bitmap* over = layer->bitmap();
        if (under && over && under->has_alpha() && over->has_alpha() && under->width == over->width) {
            head->composite(*layer);
        } else {
            // Layers blend through their alpha planes, over a picture of the same width.
            std::fprintf(stderr, "tarrowind: face layer %s skipped: it needs an alpha plane and the head's width\n",
                         utf16_to_utf8(layer_file(i)).c_str());
        }
        group.remove_sprite(layer);
    }
    auto* list = new SpriteList;
    list->add(head, 0, 0, 10, 1024);
    return list;
}
