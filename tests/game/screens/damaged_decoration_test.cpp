// Pictures that only decorate a screen (the map's and the fight's weather,
// an effect's particles and its flying sprite), missing or damaged in the
// program's folder: the game plays on without them and says so once on
// standard error, where it used to end through the fatal report. Played in
// the program itself on the demo data with one file of it spoiled.
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "game/combat/combat_weather.h"
#include "game/effects/flying_sprite.h"
#include "game/effects/particle_system.h"
#include "game/map_view/weather.h"
#include "tests/support/scripted_program.h"

namespace {

namespace fs = std::filesystem;

std::string demo_file(const std::string& name) {
    std::ifstream in(fs::path(NIMBREL_DEMO_DATA_DIR) / name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

enum class Damage { kMissing, kCutInHalf, kFlipped, kNoPictureNamed };

// The demo's file spoiled; none when it is to be missing.
std::optional<std::string> spoiled(const std::string& name, Damage damage) {
    std::string bytes = demo_file(name);
    switch (damage) {
    case Damage::kMissing: return std::nullopt;
    case Damage::kCutInHalf: return bytes.substr(0, bytes.size() / 2);
    case Damage::kFlipped:
        for (char& c : bytes) c = char(~c);
        return bytes;
    case Damage::kNoPictureNamed: return std::string("DefFlags = ALPHA_PIXEL\n");
    }
    return bytes;
}

// The demo data below `parent` (linked, not copied, and without data.zip,
// whose members would stand in for a missing loose file) with `file`
// replaced by `contents`, or taken away when there are none.
std::string spoiled_demo_data(const fs::path& parent, const fs::path& file, const std::optional<std::string>& contents) {
    const fs::path data = parent / "data";
    fs::path from = NIMBREL_DEMO_DATA_DIR, to = data;
    fs::create_directories(to);
    for (const fs::path& part : file) {
        for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
            const fs::path name = entry.path().filename();
            if (name == part || name == "data.zip" || name == "savegame") continue;
            fs::create_symlink(entry.path(), to / name);
        }
        from /= part;
        to /= part;
        if (part != file.filename()) fs::create_directory(to);
    }
    if (contents) std::ofstream(to, std::ios::binary) << *contents;
    return data.string();
}

enum class Shown { kMapWeather, kFightWeather, kParticles, kFlier };

struct Spoiled {
    const char* what;
    const char* file;
    Damage damage;
    Shown where;
    int32_t weather_code;
    const char* told;  // the sprite the one line on standard error names, or null
};

std::ostream& operator<<(std::ostream& out, const Spoiled& s) { return out << s.what; }

const Spoiled kSpoiled[] = {
    {"the rain's picture cut in half", "weather/rain.bmp", Damage::kCutInHalf, Shown::kMapWeather, 2, "weather/rain.spr"},
    {"no snow sprite", "weather/snow.spr", Damage::kMissing, Shown::kMapWeather, 4, "weather/snow.spr"},
    {"the fog's picture flipped", "weather/fog.bmp", Damage::kFlipped, Shown::kMapWeather, 7, "weather/fog.spr"},
    {"a red fog sprite naming no picture", "weather/redfog.spr", Damage::kNoPictureNamed, Shown::kFightWeather, 9,
     "weather/redfog.spr"},
    {"no spark picture", "gfx/spark.bmp", Damage::kMissing, Shown::kParticles, 0, nullptr},
    {"the flier's picture cut in half", "combat/fej.bmp", Damage::kCutInHalf, Shown::kFlier, 0, nullptr},
};

class DamagedDecorationTest : public ScriptedProgramTest, public ::testing::WithParamInterface<Spoiled> {
protected:
    void SetUp() override {
        parent_ = make_scratch_folder("spoiled");
        const Spoiled& s = GetParam();
        const std::string data = spoiled_demo_data(parent_, s.file, spoiled(s.file, s.damage));
        // A new game on the map (the script's first steps).
        start_program(data, NIMBREL_SOURCE_DIR "/tests/game/screens/talk_pacing.input", 11);
        play_until(3000);
        ASSERT_EQ(screen(), "Walking");
    }
    void TearDown() override {
        ScriptedProgramTest::TearDown();
        fs::remove_all(parent_);
    }
    Layer& map_layer() { return *g_app->game()->first_layer(); }

private:
    std::string parent_;
};

TEST_P(DamagedDecorationTest, TheGamePlaysOnWithoutThePicture) {
    const Spoiled& s = GetParam();
    testing::internal::CaptureStderr();
    switch (s.where) {
    case Shown::kMapWeather:
        // Twice, as two entries of a rainy level: the tint, no drops.
        for (int entry = 0; entry < 2; ++entry) {
            g_app->game()->start_weather(s.weather_code);
            EXPECT_EQ(g_app->game()->weather_type(), s.weather_code);
            EXPECT_EQ(g_app->game()->weather().group()->sprites().count(), 0);
            play_until(host.program_time() + 500);
        }
        break;
    case Shown::kFightWeather: {
        CombatWeather weather;
        weather.add_to(map_layer(), map_layer().size().width);
        weather.set_weather(s.weather_code);
        EXPECT_EQ(weather.overlay().code(), s.weather_code);
        EXPECT_EQ(weather.overlay().group()->sprites().count(), 0);
        weather.update_weather();
        weather.scroll_fog();
        weather.remove_from(map_layer());
        break;
    }
    case Shown::kParticles: {
        SpriteGroup layer;
        ParticleParams params;
        params.sprite = "gfx/spark.spr";
        params.spawn_count = 3;
        params.ttl = 4;
        ParticleSystem sparks(params, &layer, {60, 60});
        EXPECT_GT(sparks.update(true), 0);
        for (const ParticleSystem::Particle& p : sparks.particles()) EXPECT_EQ(p.sprite, nullptr);
        break;
    }
    case Shown::kFlier: {
        SpriteGroup layer;
        const FlyingSprite flier(&layer, "combat/fej.spr", 0, 100, 32);
        EXPECT_FALSE(flier);
        EXPECT_EQ(layer.sprites().count(), 0);
        break;
    }
    }
    play_until(host.program_time() + 500);
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(screen(), "Walking");
    if (s.told) {
        const std::string line = std::string("\"") + s.told + "\" or its picture is missing or damaged";
        const size_t first = told.find(line);
        ASSERT_NE(first, std::string::npos) << told;
        EXPECT_EQ(told.find(line, first + 1), std::string::npos) << told;
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, DamagedDecorationTest, ::testing::ValuesIn(kSpoiled));

// The player's road: the walk into the rainy wood with the rain's picture
// cut in half ends no game, and leaving the program saves it to go on with.
class DamagedRainRoadTest : public ScriptedProgramTest {
protected:
    void TearDown() override {
        ScriptedProgramTest::TearDown();
        fs::remove_all(parent_);
    }
    std::string parent_ = make_scratch_folder("spoiled_road");
};

TEST_F(DamagedRainRoadTest, TheWalkIntoTheRainyWoodGoesOnAndLeavingSavesTheGame) {
    const std::string data =
        spoiled_demo_data(parent_, "weather/rain.bmp", spoiled("weather/rain.bmp", Damage::kCutInHalf));
    start_program(data, NIMBREL_SOURCE_DIR "/tests/game/screens/ending.input", 11);
    play_until(24000);
    EXPECT_EQ(screen(), "Walking");
    EXPECT_EQ(level(), "Thistlewood");
    EXPECT_EQ(g_app->game()->weather_type(), 2);
    host.send_message(MessageId::Close);
    EXPECT_TRUE(fs::exists(fs::path(folder) / "savegame" / "autosave.gam"));
}

}  // namespace
