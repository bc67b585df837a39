// A record's string kept in the global string pool: the record holds only a
// pointer, the pool owns the text and frees it when it is destroyed. So a
// record with pooled text must not outlive the pool (the game destroys its
// story before the pool). Reads like a std::string_view; it also converts to
// a std::string (a copy) so code written for string fields keeps working.
// The pool, and so this type, is for the main thread only.
#pragma once

#include <compare>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

class PooledText {
public:
    PooledText() = default;
    // Pools a copy of the text; null and "" pool nothing and read "".
    PooledText(const char* text);
    PooledText(const std::string& text) : PooledText(text.c_str()) {}

    // Refers to a string literal without pooling it (defaults of records).
    static constexpr PooledText literal(const char* text) { return PooledText(text, 0); }

    const char* c_str() const { return text_ ? text_ : ""; }
    const char* data() const { return c_str(); }
    size_t size() const { return text_ ? std::strlen(text_) : 0; }
    size_t length() const { return size(); }
    bool empty() const { return !text_ || !*text_; }
    char operator[](size_t index) const { return c_str()[index]; }
    std::string_view view() const { return c_str(); }
    operator std::string_view() const { return view(); }
    std::string str() const { return c_str(); }
    operator std::string() const { return str(); }

    friend bool operator==(const PooledText& a, const PooledText& b) { return a.view() == b.view(); }
    friend bool operator==(const PooledText& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const PooledText& a, const std::string& b) { return a.view() == b; }
    friend bool operator==(const PooledText& a, const char* b) { return a.view() == b; }
    friend auto operator<=>(const PooledText& a, const PooledText& b) { return a.view() <=> b.view(); }
    friend auto operator<=>(const PooledText& a, std::string_view b) { return a.view() <=> b; }

    friend std::string operator+(const std::string& a, const PooledText& b) { return a + b.c_str(); }
    friend std::string operator+(const char* a, const PooledText& b) { return std::string(a) + b.c_str(); }
    friend std::string operator+(const PooledText& a, std::string_view b) { return a.str().append(b); }
    friend std::string operator+(const PooledText& a, const char* b) { return a.str().append(b); }
    friend std::string operator+(const PooledText& a, char b) { return a.str() + b; }

    friend std::ostream& operator<<(std::ostream& out, const PooledText& text) { return out << text.c_str(); }

private:
    constexpr PooledText(const char* text, int) : text_(text) {}

    const char* text_ = nullptr;
};
