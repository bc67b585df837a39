#include "engine/platform/input_script.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "engine/platform/key_names.h"

namespace {

std::vector<std::string_view> split_words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) i++;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') i++;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

template <typename Int>
bool parse_number(std::string_view word, Int& out) {
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), out);
    return ec == std::errc() && end == word.data() + word.size();
}

// A PC key name, or a device key code 1..255 in decimal.
bool parse_key(std::string_view word, uint32_t& code) {
    if (!word.empty() && word[0] >= '0' && word[0] <= '9' && word.size() > 1) {
        return parse_number(word, code) && code >= 1 && code <= 255;
    }
    code = key_code_from_name(word);
    return code != 0;
}

// Parses the words after the time; returns an error text or "".
std::string parse_event(const std::vector<std::string_view>& w, ScriptEvent& ev) {
    using Kind = ScriptEvent::Kind;
    const std::string_view what = w.size() > 1 ? w[1] : std::string_view();
    if (what == "key") {
        if (w.size() != 4) return "expected '<ms> key down|up <KEY>'";
        if (w[2] == "down") ev.kind = Kind::KeyDown;
        else if (w[2] == "up") ev.kind = Kind::KeyUp;
        else return "key action must be 'down' or 'up'";
        if (!parse_key(w[3], ev.key_code)) return "unknown key '" + std::string(w[3]) + "'";
        return "";
    }
    if (what == "pen") {
        if (w.size() != 5) return "expected '<ms> pen down|move|up <x> <y>'";
        if (w[2] == "down") ev.kind = Kind::PenDown;
        else if (w[2] == "move") ev.kind = Kind::PenMove;
        else if (w[2] == "up") ev.kind = Kind::PenUp;
        else return "pen action must be 'down', 'move' or 'up'";
        if (!parse_number(w[3], ev.x) || !parse_number(w[4], ev.y) || ev.x < -32768 ||
            ev.x > 32767 || ev.y < -32768 || ev.y > 32767) {
            return "pen position must be two whole numbers";
        }
        return "";
    }
    if (what == "focus") {
        if (w.size() != 3) return "expected '<ms> focus lost|gained'";
        if (w[2] == "lost") ev.kind = Kind::FocusLost;
        else if (w[2] == "gained") ev.kind = Kind::FocusGained;
        else return "focus must be 'lost' or 'gained'";
        return "";
    }
    if (what == "close") {
        if (w.size() != 2) return "expected '<ms> close'";
        ev.kind = Kind::Close;
        return "";
    }
    return "unknown event '" + std::string(what) + "'";
}

}  // namespace

ParsedScript parse_input_script(std::string_view text) {
    ParsedScript result;
    size_t line_number = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        line_number++;
        const auto words = split_words(line);
        if (words.empty() || words[0][0] == '#') continue;

        ScriptEvent ev;
        std::string error;
        if (!parse_number(words[0], ev.at_ms)) error = "time must be a whole number of ms";
        else if (!result.events.empty() && ev.at_ms < result.events.back().at_ms)
            error = "time goes backwards";
        else
            error = parse_event(words, ev);
        if (!error.empty()) {
            result.events.clear();
            result.error = "line " + std::to_string(line_number) + ": " + error;
            return result;
        }
        result.events.push_back(ev);
    }
    return result;
}

ParsedScript load_input_script(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ParsedScript result;
        result.error = "cannot read input script " + path;
        return result;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parse_input_script(text.str());
}
