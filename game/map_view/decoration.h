// Pictures that only decorate a screen (the weather's drops and fog, on the
// map and in a fight): one that is missing or damaged is left out, and said
// once on standard error, while the game plays on, instead of ending it
// through the fatal report and losing the play since the last save.
#pragma once

#include <memory>
#include <string_view>

class Sprite;

// A sprite of the definition file `name` and its picture, in no group; null
// when either cannot be had.
std::unique_ptr<Sprite> load_decoration_sprite(std::u16string_view name);
