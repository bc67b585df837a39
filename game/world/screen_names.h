// The names of the game's fourteen screens, one constant each, for every
// place that registers, switches to or asks for a screen, so that a name
// written wrong fails to build instead of leaving the game without a screen.
// The scene registers each screen under its string, and the item notice keeps
// the string of the screen it returns to. They live with the world, below the
// session that registers the screens and every folder that switches screens.
#pragma once

inline constexpr char kWalkingScreen[] = "Walking";      // the hero on the map
inline constexpr char kZoomScreen[] = "Zoom";            // the whole level's map
inline constexpr char kSleepScreen[] = "Sleep";          // a night's sleep
inline constexpr char kMainMenuScreen[] = "Menu";        // title and pause menu
inline constexpr char kTalkingScreen[] = "Talking";      // a conversation
inline constexpr char kStoryScreen[] = "Story";          // a story text
inline constexpr char kShopScreen[] = "Shop";            // a shopkeeper's goods
inline constexpr char kInventoryScreen[] = "Inventory";  // the hero's things
inline constexpr char kItemNoticeScreen[] = "Item";      // an item or gold gained or lost
inline constexpr char kCombatScreen[] = "Combat";        // a fight
inline constexpr char kGameIOScreen[] = "GameIO";        // saving and loading
inline constexpr char kEndOfGameScreen[] = "EndOfGame";  // the ending picture
inline constexpr char kLevelUpScreen[] = "Level";        // the hero's level-up
inline constexpr char kStatsScreen[] = "Stats";          // attributes bought for gold
