#include "engine/platform/window_scale.h"

#include <algorithm>

int fit_window_scale(int asked, Size screen, Size usable) {
    if (usable.empty() || screen.empty()) return std::max(asked, 1);
    const int across = usable.width / screen.width;
    const int down = usable.height / screen.height;
    return std::max(1, std::min({asked, across, down}));
}
