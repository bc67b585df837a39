#include "game/session/game_settings.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "engine/files/atomic_file.h"
#include "engine/files/ini_file.h"
#include "game/session/write_folder.h"

namespace {

constexpr const char* kSection = "SETTINGS";

int32_t flag(int32_t v) { return v != 0 ? 1 : 0; }

}  // namespace

GameSettings GameSettings::parse(const std::string& text) {
    IniFile ini;
    ini.parse(text);
    GameSettings s;
    s.music_volume = std::clamp(ini.get_int(s.music_volume, "MusicVol", kSection), 0, kMaxVolumeStep);
    s.sound_volume = std::clamp(ini.get_int(s.sound_volume, "SoundVol", kSection), 0, kMaxVolumeStep);
    s.sound_quality = std::clamp(ini.get_int(s.sound_quality, "SndQuality", kSection), 0, kMaxQuality);
    s.gfx_quality = flag(ini.get_int(s.gfx_quality, "GfxQuality", kSection));
    s.brightness = ini.get_int(s.brightness, "Brightness", kSection);
    s.weather_fx = flag(ini.get_int(s.weather_fx, "WeatherFx", kSection));
    s.auto_heal = flag(ini.get_int(s.auto_heal, "AutoHeal", kSection));
    s.auto_equip = flag(ini.get_int(s.auto_equip, "AutoEquip", kSection));
    return s;
}

std::string GameSettings::text() const {
    char buffer[320];
    std::snprintf(buffer, sizeof buffer,
                  "[SETTINGS]\nMusicVol = %d\nSoundVol = %d\nSndQuality = %d\nGfxQuality = %d\n"
                  "Brightness = %d\nWeatherFx = %d\nAutoHeal = %d\nAutoEquip = %d\n",
                  int(music_volume), int(sound_volume), int(sound_quality), int(gfx_quality), int(brightness),
                  int(weather_fx), int(auto_heal), int(auto_equip));
    return buffer;
}

std::string settings_path() { return write_folder_path("settings.ini"); }

GameSettings load_settings_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (in) {
        std::ostringstream all;
        all << in.rdbuf();
        text = all.str();
    }
    // Reading never writes: a player's hand edits stay until the settings
    // page is left, and a missing file simply gives the defaults.
    return GameSettings::parse(text);
}

bool save_settings_file(const std::string& path, const GameSettings& settings) {
    const std::string text = settings.text();
    if (write_file_atomically(path, text.data(), text.size())) return true;
    std::fprintf(stderr, "tarrowind: cannot write \"%s\"; the old settings stay\n", path.c_str());
    return false;
}
