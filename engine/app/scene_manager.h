// Owns the named scenes and switches between them; the scene it switches to
// becomes the program's current scene. The game's story module derives from
// it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/app/screen_argument.h"
#include "engine/core/memory_pool.h"

class Scene;

class SceneManager : public PoolObject {
public:
    SceneManager() = default;
    // Deletes every scene.
    virtual ~SceneManager();
    SceneManager(const SceneManager&) = delete;
    SceneManager& operator=(const SceneManager&) = delete;

    // The window lost the focus.
    virtual void on_suspend() {}
    // Not called by the shell; kept for symmetry with on_suspend.
    virtual void on_resume() {}

    // The first scene of that name, ignoring ASCII case; null when none.
    Scene* find(std::string_view name) const;
    // Takes ownership and becomes the scene's owner.
    int add(Scene* scene);
    // Leaves the current scene, enters the named one (even when it is the
    // same) and restarts its tick clocks; 0 and no change for an unknown name.
    int switch_to(std::string_view name, ScreenArgument argument);
    // Leaves the current state and scene, then deletes every scene.
    void shutdown();

    Scene* current() const { return current_; }
    const std::vector<Scene*>& scenes() const { return scenes_; }

private:
    std::vector<Scene*> scenes_;  // owned
    Scene* current_ = nullptr;
};
