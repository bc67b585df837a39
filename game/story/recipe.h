// Recipe categories: kept with the story, used by no screen yet.
#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/memory_pool.h"

class Archive;

struct RecipeItem {
    std::string text1;
    std::string text2;
    std::array<int32_t, 11> values{};

    static constexpr size_t kMinStoredBytes = 1 + 2 * 2 + 11 * 4;

    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // RecipeItem, or a const RecipeItem when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};

struct RecipeCategory : PoolObject {
    std::string name;
    uint32_t value = 0;
    std::vector<RecipeItem> items;

    static constexpr size_t kMinStoredBytes = 1 + 2 + 4 + 2;

    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // RecipeCategory, or a const RecipeCategory when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};
