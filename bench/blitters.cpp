// Blits per second of every drawing mode of every blitter into a 240x320
// RGB565 buffer, against memcpy of the same bytes (the bound) and against
// SDL2's SDL_BlitSurface doing the nearest operation on RGB565 surfaces.
// The source is a disc of random pixels on the colour key, about half opaque,
// drawn at positions that move round a table of offsets (odd and even, so
// that neither side gets only its best alignment), the same for both sides.
// SDL's run-length encoding is on wherever SDL would use it: colour key,
// key with alpha and per-pixel alpha ("key" alone is SDL without it). Our
// keyed modes get the picture's key spans, made once, as a sprite's bitmap
// gives them.
//
// Beside the disc, whose one run a row suits run-length encoding best, the
// keyed modes draw sprite sheets of the demo data, stepping through their
// frames: ours from the whole sheet, as a sprite draws its frames, SDL from
// one run-length encoded surface per frame, its best use.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/blit/blitters.h"
#include "engine/blit/key_spans.h"
#include "engine/blit/lane_width.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/bmp_decoder.h"
#include "engine/pictures/sprite_flags.h"

namespace {

constexpr int32_t kScreenW = 240, kScreenH = 320;

using Blitter = void (*)(const BlitTarget&, BlitSource, const BlitView&);

// A picture of frames stacked top to bottom (one frame for the disc).
struct Picture {
    int32_t width, height;
    std::vector<uint16_t> pixels;
    std::vector<uint8_t> alpha;
    std::vector<uint32_t> argb;  // the same picture for SDL's blended blits
    KeySpans spans;
    int32_t frame_height = height;

    int32_t frames() const { return height / frame_height; }
    size_t frame_offset(int32_t frame) const { return size_t(frame) * size_t(width) * size_t(frame_height); }
};

Picture disc(int32_t w, int32_t h) {
    Picture p{w, h, {}, {}, {}, {}};
    std::mt19937 rng(uint32_t(w * 1000 + h));
    double radius = std::sqrt(0.5 * w * h / 3.14159265);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            bool inside = std::hypot(x + 0.5 - w / 2.0, y + 0.5 - h / 2.0) < radius;
            uint16_t c = inside ? uint16_t(rng() & ~0x0020) : kColorKey;  // never the key inside
            uint8_t a = inside ? uint8_t(rng() % 33) : 0;
            p.pixels.push_back(c);
            p.alpha.push_back(a);
            uint32_t r = (c >> 11) << 3, g = ((c >> 5) & 0x3F) << 2, b = (c & 0x1F) << 3;
            p.argb.push_back((uint32_t(a * 255 / 32) << 24) | (r << 16) | (g << 8) | b);
        }
    return p;
}

// A picture of the built demo data, ending the program if it is missing.
std::unique_ptr<Bitmap> demo_bitmap(const std::string& name) {
    std::ifstream in(std::string(NIMBREL_DEMO_DATA_DIR) + "/" + name, std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string error;
    std::unique_ptr<Bitmap> bitmap = decode_bmp(file, 0, error);
    if (!bitmap) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
        std::exit(1);
    }
    return bitmap;
}

Picture sheet(const std::string& name, int32_t frame_height) {
    const std::unique_ptr<Bitmap> b = demo_bitmap(name);
    return Picture{b->width, b->height, b->pixels, {}, {}, {}, frame_height};
}

// The item icons side by side in rows, as the inventory shows them, on the
// key: a 240x320 picture of many short runs.
Picture icon_grid() {
    Picture p{kScreenW, kScreenH, std::vector<uint16_t>(size_t(kScreenW) * kScreenH, kColorKey), {}, {}, {}};
    const int icons[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 48, 49, 50, 51, 52, 86};
    int next = 0;
    for (int32_t top = 0; top + 32 <= kScreenH; top += 32)
        for (int32_t left = 1; left + 32 <= kScreenW; left += 34) {
            const std::unique_ptr<const Bitmap> icon = demo_bitmap("tiles/item_" + std::to_string(icons[next++ % std::size(icons)]) + ".bmp");
            for (int32_t y = 0; y < 32; ++y)
                std::copy_n(icon->pixels.data() + y * 32, 32, p.pixels.data() + (top + y) * kScreenW + left);
        }
    return p;
}

// The pictures by the name their benchmarks carry, made when first drawn.
const Picture& picture(const std::string& name) {
    static const std::map<std::string, Picture (*)()> makers = {
        {"32x32", [] { return disc(32, 32); }},
        {"64x64", [] { return disc(64, 64); }},
        {"240x320", [] { return disc(240, 320); }},
        {"walk_sheet_32x32", [] { return sheet("npc/walk_full/hero.bmp", 32); }},
        {"tile_with_holes_32x32", [] { return sheet("tiles/tiles_7.bmp", 32); }},
        {"fighter_64x96", [] { return sheet("combat/monsters/player_base.bmp", 96); }},
        {"monster_132x84", [] { return sheet("combat/monsters/cmossboar.bmp", 84); }},
        {"screen_240x320", [] { return sheet("screens/funeral.bmp", 320); }},
        {"icon_grid_240x320", icon_grid},
    };
    static std::map<std::string, Picture> made;
    auto found = made.find(name);
    if (found == made.end()) {
        Picture p = makers.at(name)();
        p.spans = KeySpans::of(p.pixels.data(), p.width, p.height);
        found = made.emplace(name, std::move(p)).first;
    }
    return found->second;
}

// Offsets from the screen's centre that a run of blits steps through.
struct Offset {
    int32_t dx, dy;
};
const std::vector<Offset>& offsets() {
    static const std::vector<Offset> table = [] {
        std::mt19937 rng(21);
        std::uniform_int_distribution<int32_t> d(-7, 7);
        std::vector<Offset> t(64);
        for (Offset& o : t) o = {d(rng), d(rng)};
        return t;
    }();
    return table;
}

std::vector<uint16_t>& screen() {
    static std::vector<uint16_t> pixels(kScreenW * kScreenH, 0x4208);
    return pixels;
}

void report(benchmark::State& state, int64_t pixels_per_blit) {
    state.SetItemsProcessed(state.iterations());
    state.counters["Mpix/s"] = benchmark::Counter(double(state.iterations()) * double(pixels_per_blit) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

void run_blitter(benchmark::State& state, Blitter blit, uint32_t flags, const std::string& name, int32_t zoom,
                 int32_t degrees) {
    const Picture& p = picture(name);
    const int32_t w = p.width, h = p.frame_height;
    BlitSource src;
    src.pixels = p.pixels.data();
    src.alpha = p.alpha.data();
    src.bitmap_width = w;
    src.frame_width = w;
    src.frame_height = h;
    src.x = kScreenW / 2;
    src.y = kScreenH / 2;
    src.flags = flags | GRAB_CENTER;
    src.alpha_value = 16;
    src.zoom = zoom;
    src.rotation = degrees << 16;
    if (flags & TRANS_COLOR) src.key_spans = &p.spans;
    BlitTarget target{reinterpret_cast<uint8_t*>(screen().data()), 0, kScreenW * 2};
    BlitView view{Rect{0, 0, kScreenW, kScreenH}, Point{}};
    const std::vector<Offset>& moves = offsets();
    size_t step = 0;
    for (auto _ : state) {
        src.frame_offset = int32_t(p.frame_offset(int32_t(step % size_t(p.frames()))));
        const Offset o = moves[step++ % moves.size()];
        src.x = kScreenW / 2 + o.dx;
        src.y = kScreenH / 2 + o.dy;
        blit(target, src, view);
        benchmark::ClobberMemory();
    }
    int64_t zw = std::min<int64_t>((int64_t(zoom) * w + 512) >> 10, kScreenW);
    int64_t zh = std::min<int64_t>((int64_t(zoom) * h + 512) >> 10, kScreenH);
    report(state, zw * zh);
}

// The plain blitter at a narrower lane width than this processor's widest,
// as it runs where the wider instructions are missing.
void run_plain_at_lane_width(benchmark::State& state, int32_t lanes, uint32_t flags, const std::string& name) {
    const int32_t widest = lane_width();
    use_lane_width(lanes);
    run_blitter(state, blit_plain, flags, name, 1024, 0);
    use_lane_width(widest);
}

void run_memcpy(benchmark::State& state, const std::string& name) {
    const Picture& p = picture(name);
    const int32_t w = p.width, h = p.height;
    uint8_t* dst = reinterpret_cast<uint8_t*>(screen().data());
    for (auto _ : state) {
        for (int32_t y = 0; y < h; ++y) std::memcpy(dst + y * kScreenW * 2, p.pixels.data() + y * w, size_t(w) * 2);
        benchmark::ClobberMemory();
    }
    report(state, int64_t(w) * h);
}

enum class SdlOp { copy, key, key_rle, alpha, key_alpha, argb_blend, add, scaled };

// One frame of the picture as an SDL surface set up for op.
SDL_Surface* sdl_frame(const Picture& p, int32_t frame, SdlOp op) {
    const int32_t w = p.width, h = p.frame_height;
    SDL_Surface* src = nullptr;
    if (op == SdlOp::argb_blend) {
        src = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(p.argb.data() + p.frame_offset(frame)), w, h,
                                                 32, w * 4, SDL_PIXELFORMAT_ARGB8888);
        SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
    } else {
        src = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint16_t*>(p.pixels.data() + p.frame_offset(frame)), w, h,
                                                 16, w * 2, SDL_PIXELFORMAT_RGB565);
        SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
    }
    if (op == SdlOp::key || op == SdlOp::key_rle || op == SdlOp::key_alpha) SDL_SetColorKey(src, SDL_TRUE, kColorKey);
    if (op == SdlOp::key_rle || op == SdlOp::key_alpha || op == SdlOp::argb_blend) SDL_SetSurfaceRLE(src, 1);
    if (op == SdlOp::alpha || op == SdlOp::key_alpha) {
        SDL_SetSurfaceAlphaMod(src, 128);
        SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
    }
    if (op == SdlOp::add) SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_ADD);
    return src;
}

void run_sdl(benchmark::State& state, SdlOp op, const std::string& name, int32_t zoom) {
    const Picture& p = picture(name);
    const int32_t w = p.width, h = p.frame_height;
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, SDL_PIXELFORMAT_RGB565);
    std::vector<SDL_Surface*> frames;
    for (int32_t f = 0; f < p.frames(); ++f) frames.push_back(sdl_frame(p, f, op));
    int32_t zw = int32_t((int64_t(zoom) * w + 512) >> 10), zh = int32_t((int64_t(zoom) * h + 512) >> 10);
    const std::vector<Offset>& moves = offsets();
    size_t step = 0;
    for (auto _ : state) {
        SDL_Surface* src = frames[step % frames.size()];
        const Offset o = moves[step++ % moves.size()];
        SDL_Rect r{kScreenW / 2 - zw / 2 + o.dx, kScreenH / 2 - zh / 2 + o.dy, zw, zh};
        if (op == SdlOp::scaled) {
            SDL_BlitScaled(src, nullptr, dst, &r);
        } else {
            SDL_BlitSurface(src, nullptr, dst, &r);
        }
        benchmark::ClobberMemory();
    }
    report(state, int64_t(std::min(zw, kScreenW)) * std::min(zh, kScreenH));
    for (SDL_Surface* f : frames) SDL_FreeSurface(f);
    SDL_FreeSurface(dst);
}

const char* const kDiscs[] = {"32x32", "64x64", "240x320"};
const char* const kSheets[] = {"walk_sheet_32x32", "tile_with_holes_32x32", "fighter_64x96",
                               "monster_132x84",   "screen_240x320",        "icon_grid_240x320"};

int register_all() {
    Blitter plain = blit_plain, zoomed = blit_zoomed, hq = blit_hq_zoomed, roto = blit_rotozoomed;
    const uint32_t plain_modes[] = {0, 1, 2, 3, 16, 17, 18, 19, 4096, 4097, 4098, 4099, 4112, 4113,
                                    8192, 8193, 8194, 8195, 8208, 8209, BLT_DYNAMIC};
    const uint32_t zoom_modes[] = {0, 1, 2, 3, 16, 17, 4096, 4097, 4098, 4113, 8195};
    const uint32_t hq_modes[] = {16, 19};
    const uint32_t roto_modes[] = {0, 1, 2, 3, 17, 18, 19, 4096, 4098};
    const uint32_t keyed_modes[] = {16, 17, 4112, 8208};
    for (std::string sz : kDiscs) {
        benchmark::RegisterBenchmark(("memcpy/" + sz).c_str(), run_memcpy, sz);
        for (uint32_t m : plain_modes)
            benchmark::RegisterBenchmark(("plain/mode" + std::to_string(m) + "/" + sz).c_str(), run_blitter, plain, m,
                                         sz, 1024, 0);
        for (int32_t lanes : supported_lane_widths())
            if (lanes != lane_width())
                for (uint32_t m : {0u, 16u, 4112u, 8208u})
                    benchmark::RegisterBenchmark(
                        ("plain_lanes" + std::to_string(lanes) + "/mode" + std::to_string(m) + "/" + sz).c_str(),
                        run_plain_at_lane_width, lanes, m, sz);
        for (int32_t zoom : {512, 1024, 2048}) {
            std::string z = "/zoom" + std::to_string(zoom) + "/" + sz;
            for (uint32_t m : zoom_modes)
                benchmark::RegisterBenchmark(("zoomed/mode" + std::to_string(m) + z).c_str(), run_blitter, zoomed, m,
                                             sz, zoom, 0);
            for (uint32_t m : hq_modes)
                benchmark::RegisterBenchmark(("hq_zoomed/mode" + std::to_string(m) + z).c_str(), run_blitter, hq, m,
                                             sz, zoom, 0);
            for (int32_t degrees : {0, 30, 45})
                for (uint32_t m : roto_modes)
                    benchmark::RegisterBenchmark(
                        ("rotozoomed/mode" + std::to_string(m) + "/deg" + std::to_string(degrees) + z).c_str(),
                        run_blitter, roto, m, sz, zoom, degrees);
            benchmark::RegisterBenchmark(("sdl/scaled" + z).c_str(), run_sdl, SdlOp::scaled, sz, zoom);
        }
        const std::pair<const char*, SdlOp> sdl_ops[] = {
            {"copy", SdlOp::copy},     {"key", SdlOp::key},           {"key_rle", SdlOp::key_rle},
            {"alpha", SdlOp::alpha},   {"key_alpha", SdlOp::key_alpha}, {"argb_blend", SdlOp::argb_blend},
            {"add", SdlOp::add}};
        for (auto [name, op] : sdl_ops)
            benchmark::RegisterBenchmark(("sdl/" + std::string(name) + "/" + sz).c_str(), run_sdl, op, sz, 1024);
    }
    for (std::string sheet_name : kSheets) {
        for (uint32_t m : keyed_modes)
            benchmark::RegisterBenchmark(("plain/mode" + std::to_string(m) + "/" + sheet_name).c_str(), run_blitter,
                                         plain, m, sheet_name, 1024, 0);
        for (auto [name, op] : {std::pair{"key_rle", SdlOp::key_rle}, std::pair{"key_alpha", SdlOp::key_alpha}})
            benchmark::RegisterBenchmark(("sdl/" + std::string(name) + "/" + sheet_name).c_str(), run_sdl, op,
                                         sheet_name, 1024);
    }
    return 0;
}

const int registered = register_all();

}  // namespace
