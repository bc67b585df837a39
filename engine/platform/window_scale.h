// How large the window may be drawn: the screen at a whole multiple, no
// larger than the part of the monitor that windows may use, so that its
// title bar stays within reach.
#pragma once

#include "engine/core/geometry.h"

// The largest scale up to `asked` at which `screen` fits into `usable`;
// at least 1, however small the monitor. An empty `usable` (the host could
// not say) leaves the scale as asked.
int fit_window_scale(int asked, Size screen, Size usable);
