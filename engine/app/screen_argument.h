// The one value a scene or a screen is entered with: a small number (a mode,
// a page to open) or a pointer to what the screen is to work on, which the
// caller keeps alive. Which of the two a screen takes is that screen's
// contract; this type only saves every caller and every screen the cast
// between a pointer and an integer. It holds a pointer-sized number, so a
// pointer reads back exactly and the null pointer reads as the number 0.
#pragma once

#include <cstdint>

class ScreenArgument {
public:
    constexpr ScreenArgument() = default;
    // Implicit, so that a call passes a plain 0 or a mode constant as before.
    constexpr ScreenArgument(uintptr_t number) : value_(number) {}
    template <typename T>
    ScreenArgument(T* pointer) : value_(reinterpret_cast<uintptr_t>(pointer)) {}

    constexpr uintptr_t number() const { return value_; }
    // The pointer it was made from; null for the number 0.
    template <typename T>
    T* pointer() const {
        return reinterpret_cast<T*>(value_);
    }

private:
    uintptr_t value_ = 0;
};
