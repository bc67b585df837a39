#include "game/program/game_screens.h"

#include "game/combat/combat_state.h"
#include "game/screens/end_of_game_state.h"
#include "game/screens/game_io_state.h"
#include "game/screens/inventory_state.h"
#include "game/screens/item_notice_state.h"
#include "game/screens/level_up_state.h"
#include "game/screens/main_menu_state.h"
#include "game/screens/shop_state.h"
#include "game/screens/sleep_state.h"
#include "game/screens/stats_state.h"
#include "game/screens/story_state.h"
#include "game/screens/talking_state.h"
#include "game/screens/walking_state.h"
#include "game/screens/zoom_state.h"
#include "game/session/game.h"
#include "game/session/game_screen_state.h"
#include "game/world/screen_names.h"

GameScreenState* create_game_screen(std::string_view name) {
    if (name == kMainMenuScreen) return new MainMenuState;
    if (name == kGameIOScreen) return new GameIOState;
    if (name == kTalkingScreen) return new TalkingState;
    if (name == kWalkingScreen) return new WalkingState;
    if (name == kInventoryScreen) return new InventoryState;
    if (name == kShopScreen) return new ShopState;
    if (name == kItemNoticeScreen) return new ItemNoticeState;
    if (name == kCombatScreen) return new CombatState;
    if (name == kZoomScreen) return new ZoomState;
    if (name == kLevelUpScreen) return new LevelUpState;
    if (name == kStatsScreen) return new StatsState;
    if (name == kStoryScreen) return new StoryState;
    if (name == kSleepScreen) return new SleepState;
    if (name == kEndOfGameScreen) return new EndOfGameState;
    return nullptr;
}

void install_game_screens() { set_game_screen_factory(create_game_screen); }
