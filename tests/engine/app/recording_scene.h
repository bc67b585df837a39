// Scenes and game states that write every call into a shared log, for tests
// of the scene manager, the frame loop and the shell.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/app/scene.h"
#include "engine/app/scene_manager.h"
#include "engine/app/screen.h"

using CallLog = std::vector<std::string>;

class RecordingState : public GameState {
public:
    explicit RecordingState(CallLog& log) : log_(log) {}
    ~RecordingState() override { log_.push_back(label() + ".destroyed"); }
    void enter(ScreenArgument argument) override { log_.push_back(label() + ".enter " + std::to_string(argument.number())); }
    void leave() override { log_.push_back(label() + ".leave"); }
    void update() override {
        log_.push_back(label() + ".update");
        if (on_update) on_update();
    }
    void animate() override { log_.push_back(label() + ".animate"); }
    void on_pointer(int kind, int32_t x, int32_t y) override {
        log_.push_back(label() + ".pointer " + std::to_string(kind) + " " + std::to_string(x) + " " +
                       std::to_string(y));
    }
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override {
        log_.push_back(label() + ".key " + std::to_string(kind) + " " + std::to_string(game_key) + " " +
                       std::to_string(key_code));
    }
    std::function<void()> on_update;

private:
    std::string label() const { return "state " + name(); }
    CallLog& log_;
};

class RecordingScene : public Scene {
public:
    RecordingScene(CallLog& log, const char* name) : Scene(nullptr, name), log_(log) {}
    ~RecordingScene() override { log_.push_back(name() + ".destroyed"); }
    void enter(ScreenArgument argument) override { log_.push_back(name() + ".enter " + std::to_string(argument.number())); }
    void leave() override { log_.push_back(name() + ".leave"); }
    void pre_render() override { log_.push_back(name() + ".render"); }
    void update() override {
        log_.push_back(name() + ".update");
        if (on_update) on_update();
    }
    void animate() override { log_.push_back(name() + ".animate"); }
    void idle() override {
        log_.push_back(name() + ".idle");
        if (on_idle) on_idle();
    }
    void on_pointer(int kind, int32_t x, int32_t y) override {
        log_.push_back(name() + ".pointer " + std::to_string(kind) + " " + std::to_string(x) + " " +
                       std::to_string(y));
    }
    void on_key(int kind, uint32_t game_key, uint32_t key_code) override {
        log_.push_back(name() + ".key " + std::to_string(kind) + " " + std::to_string(game_key) + " " +
                       std::to_string(key_code));
    }
    std::function<void()> on_update;
    std::function<void()> on_idle;

private:
    CallLog& log_;
};

class RecordingManager : public SceneManager {
public:
    explicit RecordingManager(CallLog& log) : log_(log) {}
    void on_suspend() override { log_.push_back("manager.suspend"); }

private:
    CallLog& log_;
};

// How often an entry occurs in the log.
inline int count_of(const CallLog& log, const std::string& entry) {
    int n = 0;
    for (const auto& e : log) n += e == entry;
    return n;
}
