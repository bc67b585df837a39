// Builds the demo music: each text song in the source folder becomes an XM
// module in the game data (see data/music/README.md for the format).
//
//   xm_music SOURCE_DIR OUT_DIR [CORPUS_DIR]
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/xm_tools/xm_writer.h"

namespace fs = std::filesystem;

namespace {

struct SongSource {
    xm::Module module;
    std::map<std::string, int> pattern_ids;
    std::map<std::string, int> instrument_ids;
};

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    std::fprintf(stderr, "xm_music: %s: %s\n", where.c_str(), what.c_str());
    std::exit(1);
}

std::map<std::string, std::string> keys_of(std::istringstream& in) {
    std::map<std::string, std::string> keys;
    std::string token;
    while (in >> token) {
        const size_t eq = token.find('=');
        if (eq == std::string::npos) keys[token] = "";
        else keys[token.substr(0, eq)] = token.substr(eq + 1);
    }
    return keys;
}

xm::Sample make_wave(const std::string& wave, bool bits16) {
    xm::Sample s;
    s.bits16 = bits16;
    const int amplitude = bits16 ? 20000 : 80;
    uint32_t noise = 12345;
    const int length = wave == "noise" ? 4096 : 256;
    for (int i = 0; i < length; ++i) {
        const double phase = (i % 32) / 32.0;
        double v = 0;
        if (wave == "square") v = phase < 0.5 ? 1 : -1;
        else if (wave == "saw") v = 2 * phase - 1;
        else if (wave == "sine") v = std::sin(phase * 2 * M_PI);
        else if (wave == "triangle") v = phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
        else if (wave == "noise") {
            noise = noise * 1103515245u + 12345u;
            v = (int((noise >> 16) & 0x7FFF) / 16383.5 - 1.0) * (1.0 - double(i) / length);
        } else
            fail(wave, "unknown wave (square, saw, sine, triangle, noise)");
        s.frames.push_back(int16_t(std::lround(v * amplitude)));
    }
    s.loop_start = 0;
    s.loop_length = uint32_t(length);
    return s;
}

xm::Envelope parse_envelope(const std::string& text, const std::string& where) {
    xm::Envelope e;
    std::istringstream in(text);
    std::string point;
    while (std::getline(in, point, ',')) {
        const size_t colon = point.find(':');
        if (colon == std::string::npos) fail(where, "envelope points are tick:value");
        e.points.push_back({uint16_t(std::stoi(point.substr(0, colon))), uint16_t(std::stoi(point.substr(colon + 1)))});
    }
    if (e.points.size() < 2 || e.points.size() > 12) fail(where, "an envelope has 2 to 12 points");
    e.type = 1;
    return e;
}

void parse_instrument(SongSource& song, std::istringstream& in, const std::string& where) {
    std::string name, wave;
    in >> name >> wave;
    auto keys = keys_of(in);
    xm::Sample sample = make_wave(wave, keys["bits"] == "16");
    const std::string loop = keys.count("loop") ? keys["loop"] : "forward";
    sample.loop = loop == "off" ? 0 : loop == "pingpong" ? 2 : 1;
    if (wave == "noise" && !keys.count("loop")) sample.loop = 0;
    if (keys.count("volume")) sample.volume = uint8_t(std::stoi(keys["volume"]));
    if (keys.count("relative")) sample.relative_note = int8_t(std::stoi(keys["relative"]));
    if (keys.count("finetune")) sample.finetune = int8_t(std::stoi(keys["finetune"]));
    sample.name = name;
    xm::Instrument ins = xm::simple_instrument(sample);
    if (keys.count("envelope")) {
        ins.volume = parse_envelope(keys["envelope"], where);
        if (keys.count("sustain")) ins.volume.type |= 2, ins.volume.sustain = uint8_t(std::stoi(keys["sustain"]));
        if (keys.count("loop_points")) {
            const std::string lp = keys["loop_points"];
            ins.volume.type |= 4;
            ins.volume.loop_start = uint8_t(std::stoi(lp.substr(0, lp.find('-'))));
            ins.volume.loop_end = uint8_t(std::stoi(lp.substr(lp.find('-') + 1)));
        }
    }
    if (keys.count("pan_envelope")) ins.pan = parse_envelope(keys["pan_envelope"], where);
    if (keys.count("fade")) ins.fadeout = uint16_t(std::stoi(keys["fade"]));
    if (keys.count("vibrato")) ins.vibrato_depth = uint8_t(std::stoi(keys["vibrato"])), ins.vibrato_rate = 8;
    song.instrument_ids[name] = int(song.module.instruments.size()) + 1;
    song.module.instruments.push_back(ins);
}

int parse_note(const std::string& t, const std::string& where) {
    if (t == "..." || t == "---") return 0;
    if (t == "off" || t == "===") return 97;
    static const std::string names = "C-C#D-D#E-F-F#G-G#A-A#B-";
    if (t.size() != 3) fail(where, "bad note " + t);
    const size_t k = names.find(t.substr(0, 2));
    if (k == std::string::npos || k % 2 || t[2] < '0' || t[2] > '7') fail(where, "bad note " + t);
    return int(k / 2) + 12 * (t[2] - '0') + 1;
}

int effect_number(char c, const std::string& where) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    fail(where, std::string("bad effect ") + c);
}

// One cell: NOTE [instrument name] [vXX volume column] [effect letter + 2 hex digits]
xm::Cell parse_cell(SongSource& song, const std::string& text, const std::string& where) {
    std::istringstream in(text);
    std::string token;
    xm::Cell cell;
    if (!(in >> token)) return cell;
    cell.note = uint8_t(parse_note(token, where));
    while (in >> token) {
        if (song.instrument_ids.count(token)) cell.instrument = uint8_t(song.instrument_ids[token]);
        else if (token.size() == 3 && token[0] == 'v') cell.volume = uint8_t(std::stoi(token.substr(1), nullptr, 16));
        else if (token.size() == 3) {
            cell.effect = uint8_t(effect_number(token[0], where));
            cell.param = uint8_t(std::stoi(token.substr(1), nullptr, 16));
        } else
            fail(where, "bad cell " + text);
    }
    return cell;
}

SongSource parse_song(const fs::path& path) {
    std::ifstream file(path);
    SongSource song;
    song.module.orders.clear();
    std::string line;
    int number = 0;
    xm::Pattern* pattern = nullptr;
    while (std::getline(file, line)) {
        ++number;
        const std::string where = path.filename().string() + ":" + std::to_string(number);
        // A comment starts at a '#' that begins a word (notes like C#4 hold one).
        for (size_t i = 0; i < line.size(); ++i)
            if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
                line.resize(i);
                break;
            }
        std::istringstream in(line);
        std::string word;
        if (!(in >> word)) continue;
        xm::Module& m = song.module;
        if (pattern && word != "end") {
            std::vector<std::string> cells;
            std::string rest = line, cell;
            std::istringstream parts(rest);
            while (std::getline(parts, cell, '|')) cells.push_back(cell);
            if (int(cells.size()) != m.channels) fail(where, "a row needs one cell a channel");
            const int row = pattern->rows++;
            for (int c = 0; c < m.channels; ++c) pattern->at(row, c, m.channels) = parse_cell(song, cells[size_t(c)], where);
            continue;
        }
        if (word == "end") pattern = nullptr;
        else if (word == "name") std::getline(in >> std::ws, m.name);
        else if (word == "tempo") in >> m.tempo;
        else if (word == "speed") in >> m.speed;
        else if (word == "channels") in >> m.channels;
        else if (word == "linear") {
            int on = 1;
            in >> on;
            m.flags = uint16_t(on ? 1 : 0);
        } else if (word == "restart") in >> m.restart;
        else if (word == "instrument") parse_instrument(song, in, where);
        else if (word == "pattern") {
            std::string id;
            in >> id;
            song.pattern_ids[id] = int(m.patterns.size());
            m.patterns.emplace_back();
            pattern = &m.patterns.back();
            pattern->rows = 0;
        } else if (word == "order") {
            std::string id;
            while (in >> id) {
                if (!song.pattern_ids.count(id)) fail(where, "unknown pattern " + id);
                m.orders.push_back(uint8_t(song.pattern_ids[id]));
            }
        } else
            fail(where, "unknown line " + word);
    }
    if (song.module.orders.empty() || song.module.patterns.empty()) fail(path.string(), "no orders or patterns");
    return song;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: xm_music SOURCE_DIR OUT_DIR [CORPUS_DIR]\n");
        return 2;
    }
    const fs::path source = argv[1], out = argv[2];
    fs::create_directories(out);
    for (const auto& entry : fs::directory_iterator(source)) {
        if (entry.path().extension() != ".song") continue;
        const std::vector<uint8_t> bytes = xm::write(parse_song(entry.path()).module);
        const fs::path target = out / entry.path().filename().replace_extension(".xm");
        std::ofstream(target, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
        if (argc > 3) {
            fs::create_directories(argv[3]);
            fs::copy_file(target, fs::path(argv[3]) / target.filename(), fs::copy_options::overwrite_existing);
        }
    }
    return 0;
}
