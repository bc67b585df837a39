// People's pictures composed at run time: walking figures from a premade
// sheet or from body, head and hair parts, and talking portraits from up to
// nine face layers. Composed sheets are registered in the picture caches
// under names made from the appearance, so every person who looks the same
// shares one picture.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "game/map_view/gfx_config.h"

class Sprite;
class SpriteGroup;
class SpriteList;

// What a walking figure looks like: a premade sheet (1-based, 0 none) or the
// body, head and hair parts (list indexes, 0 none); `full` figures walk and
// need all 24 frames, the others stand and keep one frame a direction.
struct NpcAppearance {
    int32_t premade = 0;
    int32_t body = 0;
    int32_t head = 0;
    int32_t hair = 0;
    bool full = true;
};

inline constexpr int32_t kWalkFrame = 32;
inline constexpr int32_t kFullSheetFrames = 24;
inline constexpr int32_t kStandingSheetFrames = 8;

// A new sprite in no group showing the figure's sheet, from the picture
// lists of "gfx.ini". A list that must name a picture but is empty ends the
// program with a report naming it.
Sprite* build_npc_walk_sprite(const GfxConfig& gfx, const NpcAppearance& look);

// The face layers in the order they are composed, as bytes of a person's
// record: head, tatoo, eyes, eyebrow, mouth, nose, clothes, hair, extra.
using NpcFace = std::array<uint8_t, 9>;

// The picture of face layer `layer` (0 head .. 8 extra), below the data
// folder: "npc/heads/<layer>_<number>.bmp".
std::u16string npc_face_file(const NpcFace& face, size_t layer);

// A list holding one portrait sprite placed in the group at (x, y).
SpriteList* build_npc_head(SpriteGroup& group, int32_t x, int32_t y, const NpcFace& face);

struct NpcRecord;
// The face bytes of a person's record in composing order.
NpcFace npc_face_layers(const NpcRecord& person);
