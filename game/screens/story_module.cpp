#include "game/screens/story_module.h"

StoryModule* g_app = nullptr;

StoryModule::~StoryModule() { shutdown(); }
