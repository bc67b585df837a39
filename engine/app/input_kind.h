// The kinds of input event the shell passes to scenes and game states
// (on_key and on_pointer): a key pressed or released, the pen moved, put
// down or lifted.
#pragma once

enum InputKind : int {
    kKeyPress = 1,
    kKeyRelease = 2,
    kPenMove = 3,
    kPenDown = 4,
    kPenUp = 5,
};
