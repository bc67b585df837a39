// The player's settings kept in "settings.ini" of the write folder: eight
// numbers in section "SETTINGS". Values out of range are clamped on load;
// a missing key or file gives the defaults. Only leaving the settings page
// writes the file.
#pragma once

#include <cstdint>
#include <string>

struct GameSettings {
    static constexpr int32_t kMaxVolumeStep = 4;
    static constexpr int32_t kMaxQuality = 4;

    int32_t music_volume = 2;  // steps 0..4; the sound facade gets 64 x step
    int32_t sound_volume = 2;
    int32_t sound_quality = 2;  // 0..4
    int32_t gfx_quality = 1;    // flags below: 0 or 1
    int32_t brightness = 0;     // kept and written back unchanged
    int32_t weather_fx = 1;
    int32_t auto_heal = 1;
    int32_t auto_equip = 1;

    bool operator==(const GameSettings&) const = default;

    // Reads the text of a settings file; missing keys keep their defaults.
    static GameSettings parse(const std::string& text);
    // The nine LF lines the game writes.
    std::string text() const;
};

// "settings.ini" in the write folder.
std::string settings_path();
// Reads the file, clamping every value; the file is left as it is.
GameSettings load_settings_file(const std::string& path);
// Replaces the file atomically; false (old file kept, logged) on failure.
bool save_settings_file(const std::string& path, const GameSettings& settings);
