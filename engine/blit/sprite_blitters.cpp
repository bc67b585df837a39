#include "engine/blit/sprite_blitters.h"

#include "engine/blit/blitters.h"
#include "engine/graphics/sprite.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/sprite_flags.h"

namespace {

using Blitter = void (*)(const BlitTarget&, BlitSource, const BlitView&);

void blit_with(Blitter blit, const BlitTarget& target, Sprite& sprite, const BlitView& view) {
    const Bitmap* picture = sprite.bitmap();
    if ((sprite.flags & ALPHA_PIXEL) && (!picture || !picture->has_alpha())) sprite.flags &= ~ALPHA_PIXEL;
    BlitSource source = sprite.blit_source();
    // Only the plain blitter draws through key spans: no other blit makes them.
    if (blit == blit_plain && picture && (source.flags & TRANS_COLOR) && source.pixels)
        source.key_spans = &picture->key_spans();
    blit(target, source, view);
}

}  // namespace

void blit_sprite(const BlitTarget& t, Sprite& s, const BlitView& v) { blit_with(blit_plain, t, s, v); }
void blit_sprite_zoomed(const BlitTarget& t, Sprite& s, const BlitView& v) { blit_with(blit_zoomed, t, s, v); }
void blit_sprite_hq_zoomed(const BlitTarget& t, Sprite& s, const BlitView& v) { blit_with(blit_hq_zoomed, t, s, v); }
void blit_sprite_rotozoomed(const BlitTarget& t, Sprite& s, const BlitView& v) {
    blit_with(blit_rotozoomed, t, s, v);
}
