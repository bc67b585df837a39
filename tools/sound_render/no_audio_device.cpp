// sound_render only ever mixes into the capture output, never to a device.
// Defining the device driver here keeps the linker from taking the SDL
// output from the library, so the tool starts without loading SDL2 and the
// fifty libraries behind it (a third of its start-up time on a short song).
// Should the tool ever ask for the device it gets the silent driver.
#include "sound/src/output_driver.h"

OutputDriver* output_sdl_driver() { return output_nosound_driver(); }
