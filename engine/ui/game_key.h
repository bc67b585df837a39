// The game keys: the numbers the shell turns the device's keys into, named
// by the key they stand for. A screen, a menu or the fight says in its own
// code what a key does there; the key keeps this one name everywhere.
//
// The keys live here, in the ui layer, because the menus are the lowest code
// that reacts to them; the input mapping and the shell above (engine/app)
// and every game screen above those see this header too.
#pragma once

#include <cstdint>

enum GameKey : uint32_t {
    kKeyLeft = 0,
    kKeyRight = 1,
    kKeyUp = 2,
    kKeyDown = 3,
    kKeySpace = 4,
    kKeyEscape = 5,
    kKeyAction = 6,  // the device's action button; Enter on the desktop
    // The five application buttons (F1 to F5 on the desktop). The fifth has
    // the number below the other four.
    kKeyButton5 = 7,
    kKeyButton1 = 8,
    kKeyButton2 = 9,
    kKeyButton3 = 10,
    kKeyButton4 = 11,
    kKeyBackspace = 15,
    kKeyA = 20,
    // Any other key reaches the game as its own device key code.
};
