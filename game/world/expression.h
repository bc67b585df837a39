// Conditions and the expressions that combine them: the stored form shared by
// triggers, people's topics and encounters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class Archive;
class World;

struct Condition {
    uint8_t kind = 0;    // bits 0-6 the kind, bit 7 negates
    uint8_t aux = 0;     // bit 0: acted on the tile (kind 6)
    uint32_t id = 0;     // item, flag or level id, by kind
    uint32_t value = 0;  // amount, or tile x | y << 16

    static constexpr size_t kStoredBytes = 11;

    uint8_t base_kind() const { return kind & 0x7F; }
    bool negated() const { return (kind & 0x80) != 0; }

    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;
    bool operator==(const Condition&) const = default;

    // Whether the game state passes the test (see condition_eval.cpp).
    bool holds(World& world) const;
    // Kinds 4, 5 and 6 name a level.
    bool uses_level(uint32_t level_id) const;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // Condition, or a const Condition when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};

struct Expression {
    std::vector<Condition> conditions;

    static constexpr size_t kMinStoredBytes = 3;

    // Reads or writes the stored fields, as the archive does.
    void serialize(Archive& ar);
    void read(Archive& ar);
    void write(Archive& ar) const;
    bool empty() const { return conditions.empty(); }
    // Every condition in order; the first that fails ends the test. An
    // empty expression holds.
    bool holds(World& world) const;
    bool uses_level(uint32_t level_id) const;
    bool operator==(const Expression&) const = default;

private:
    // The stored fields, listed once for `serialize` and `write`: `Self` is
    // Expression, or a const Expression when writing.
    template <class Self> static void fields(Self& self, Archive& ar);
};
