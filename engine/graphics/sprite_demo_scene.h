// The scene the program shows until the game's own start-up exists: the demo
// data's sprites on a field of tiles, walking, waving, bouncing, turning,
// fading and blending, with a cursor that follows the stylus. It exercises
// every blitter and the dirty-region redraw in a real run, with a line of
// text and animated texts over it.
#pragma once

// Shell hooks: make the scene current (creating the file system and the
// caches when nobody has yet), and take it down again.
int start_sprite_demo();
int stop_sprite_demo();
