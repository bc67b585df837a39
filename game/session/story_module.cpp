#include "game/session/story_module.h"

StoryModule* g_app = nullptr;

StoryModule::StoryModule() : gfx(load_gfx_config()) { layout.load(u"layout.ini"); }

StoryModule::~StoryModule() { shutdown(); }
