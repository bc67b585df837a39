// Makes the game's demo sound effects: short synthesised sounds written as
// WAV files in the formats the sound library reads (8- and 16-bit PCM at
// 11025 and 22050 Hz, and IMA ADPCM from our own encoder). One-shot sounds
// carry no loop chunk. A second folder receives seed files for the WAV
// reader's fuzz target.
//
//   sound_gen GAMEDATA_DIR [CORPUS_DIR]
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tools/wav_tools/ima_encoder.h"
#include "tools/wav_tools/wav_writer.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A small deterministic noise source so every build makes the same files.
struct Noise {
    uint32_t state = 0x2545F491;
    double next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return double(state) / 2147483648.0 - 1.0;
    }
};

using Voice = std::function<double(double t, Noise& noise)>;

// Renders seconds of a voice (values about -1..1) at a rate.
std::vector<double> render(double seconds, int rate, const Voice& voice) {
    Noise noise;
    std::vector<double> out(size_t(seconds * rate));
    for (size_t i = 0; i < out.size(); ++i) out[i] = voice(double(i) / rate, noise);
    return out;
}

double envelope(double t, double attack, double length) {
    if (t < attack) return t / attack;
    return std::max(0.0, 1.0 - (t - attack) / (length - attack));
}

double tone(double t, double hz) { return std::sin(2 * kPi * hz * t); }

std::vector<int16_t> to16(const std::vector<double>& wave, double gain = 0.8) {
    std::vector<int16_t> out;
    for (double v : wave) out.push_back(int16_t(std::lround(std::clamp(v * gain, -1.0, 1.0) * 32767)));
    return out;
}

std::vector<uint8_t> to8(const std::vector<double>& wave, double gain = 0.8) {
    std::vector<uint8_t> out;
    for (double v : wave) out.push_back(uint8_t(std::lround(128 + std::clamp(v * gain, -1.0, 1.0) * 127)));
    return out;
}

// A short note sequence: each note sounds for `note` seconds.
Voice arpeggio(std::vector<double> notes, double note, double decay) {
    return [=](double t, Noise&) {
        size_t k = std::min(notes.size() - 1, size_t(t / note));
        double local = t - double(k) * note;
        return tone(local, notes[k]) * std::exp(-local * decay) * 0.9;
    };
}

struct Sound {
    std::string path;  // below the game data folder
    std::vector<uint8_t> bytes;
};

std::vector<Sound> make_sounds() {
    std::vector<Sound> sounds;
    auto pcm16 = [&](const std::string& path, int rate, double seconds, const Voice& voice) {
        sounds.push_back({path, wav_writer::pcm16(to16(render(seconds, rate, voice)), 1, rate)});
    };
    auto pcm8 = [&](const std::string& path, int rate, double seconds, const Voice& voice) {
        sounds.push_back({path, wav_writer::pcm8(to8(render(seconds, rate, voice)), 1, rate)});
    };
    auto adpcm = [&](const std::string& path, int rate, double seconds, const Voice& voice) {
        sounds.push_back({path, ima_encoder::wav(to16(render(seconds, rate, voice)), 1, rate, 256, 505)});
    };

    pcm16("sfx/switchon.wav", 22050, 0.06, [](double t, Noise&) {
        return tone(t, 1800 - 8000 * t) * envelope(t, 0.002, 0.06);
    });
    pcm16("sfx/coins.wav", 22050, 0.45, [](double t, Noise&) {
        double ping = tone(t, 2637) * std::exp(-t * 14) + 0.5 * tone(t, 3951) * std::exp(-t * 18);
        double t2 = t - 0.12;
        double second = t2 > 0 ? tone(t2, 3136) * std::exp(-t2 * 12) : 0;
        return 0.6 * ping + 0.6 * second;
    });
    pcm8("sfx/getitem.wav", 11025, 0.36, arpeggio({523.3, 659.3, 784.0, 1046.5}, 0.09, 9));
    pcm8("sfx/giveitem.wav", 22050, 0.36, arpeggio({1046.5, 784.0, 659.3, 523.3}, 0.09, 9));
    pcm16("sfx/book.wav", 11025, 0.3, [](double t, Noise& n) {
        double swish = std::exp(-std::pow((t - 0.12) / 0.05, 2));
        return n.next() * swish * 0.7;
    });
    adpcm("sfx/death.wav", 22050, 1.2, [](double t, Noise&) {
        double hz = 220 * std::exp(-t * 1.2);
        return (tone(t, hz) + 0.3 * tone(t, hz * 1.5)) * envelope(t, 0.02, 1.2) * 0.8;
    });
    pcm16("sfx/winbattle.wav", 22050, 0.9, [](double t, Noise&) {
        double chord = t < 0.3 ? tone(t, 523.3) + tone(t, 659.3)
                               : tone(t, 523.3) + tone(t, 659.3) + tone(t, 784.0) + 0.5 * tone(t, 1046.5);
        return chord * 0.3 * envelope(t, 0.01, 0.9);
    });
    pcm16("sfx/levelup.wav", 22050, 0.7, [](double t, Noise&) {
        double hz = 400 * std::pow(4.0, t / 0.7);
        return tone(t, hz) * envelope(t, 0.01, 0.7) * (0.7 + 0.3 * tone(t, 12));
    });
    // An odd number of 8-bit samples: the data chunk ends with a pad byte.
    pcm8("sfx/magic/drink.wav", 11025, 0.4001, [](double t, Noise& n) {
        double bubble = tone(t, 300 + 200 * std::fabs(tone(t, 9)));
        return (bubble * 0.7 + 0.1 * n.next()) * envelope(t, 0.02, 0.4001);
    });
    pcm16("sfx/magic/dispel.wav", 22050, 0.8, [](double t, Noise& n) {
        double shimmer = tone(t, 1200 + 300 * tone(t, 7)) * 0.5 + tone(t, 1800) * 0.3;
        return (shimmer + 0.15 * n.next()) * envelope(t, 0.05, 0.8);
    });
    pcm8("sfx/tkvoices/tkdies3.wav", 11025, 0.8, [](double t, Noise& n) {
        double growl = tone(t, 90 + 30 * tone(t, 5)) + 0.4 * n.next();
        return growl * envelope(t, 0.03, 0.8) * 0.8;
    });
    adpcm("sfx/tkvoices/tkdies4.wav", 11025, 0.9, [](double t, Noise& n) {
        double hz = 140 * std::exp(-t * 0.9);
        return (tone(t, hz) + 0.35 * n.next()) * envelope(t, 0.02, 0.9) * 0.8;
    });

    // Combat: the strokes, hits and cries the action scripts play.
    pcm8("sfx/combat/swish.wav", 11025, 0.22, [](double t, Noise& n) {
        double sweep = std::exp(-std::pow((t - 0.09) / 0.045, 2));
        return n.next() * sweep * 0.8;
    });
    pcm16("sfx/combat/hit.wav", 22050, 0.25, [](double t, Noise& n) {
        double thump = tone(t, 140 * std::exp(-t * 8)) * std::exp(-t * 18);
        return thump * 0.9 + n.next() * std::exp(-t * 40) * 0.5;
    });
    pcm16("sfx/combat/hardhit.wav", 22050, 0.4, [](double t, Noise& n) {
        double crunch = tone(t, 90 * std::exp(-t * 5)) * std::exp(-t * 9) + 0.6 * tone(t, 61) * std::exp(-t * 12);
        return crunch * 0.9 + n.next() * std::exp(-t * 22) * 0.7;
    });
    pcm8("sfx/combat/bite.wav", 11025, 0.18, [](double t, Noise& n) {
        double snap = t < 0.03 ? 1.0 : std::exp(-(t - 0.03) * 35);
        return (n.next() * 0.7 + tone(t, 900) * 0.3) * snap;
    });
    adpcm("sfx/combat/snort.wav", 11025, 0.6, [](double t, Noise& n) {
        double puff = std::exp(-std::pow((t - 0.12) / 0.08, 2)) + 0.8 * std::exp(-std::pow((t - 0.38) / 0.1, 2));
        return (n.next() * 0.6 + tone(t, 75 + 20 * tone(t, 11)) * 0.5) * puff;
    });
    pcm16("sfx/magic/ember.wav", 22050, 0.6, [](double t, Noise& n) {
        double crackle = n.next() > 0.93 ? 1.0 : 0.0;
        double roar = tone(t, 220 + 400 * t) * 0.3;
        return (crackle * 0.8 + roar + 0.2 * n.next()) * envelope(t, 0.03, 0.6);
    });
    pcm16("sfx/magic/wispfire.wav", 22050, 0.7, [](double t, Noise& n) {
        double wail = tone(t, 660 + 180 * tone(t, 5)) * 0.4 + tone(t, 990 + 120 * tone(t, 3)) * 0.2;
        return (wail + 0.15 * n.next()) * envelope(t, 0.15, 0.7);
    });
    return sounds;
}

bool write_all(const std::filesystem::path& dir, const std::vector<Sound>& sounds) {
    for (const Sound& sound : sounds) {
        std::filesystem::path path = dir / sound.path;
        std::filesystem::create_directories(path.parent_path());
        if (!wav_writer::save(path.string(), sound.bytes)) {
            std::fprintf(stderr, "sound_gen: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

// Small seeds for the fuzz target: the sounds' own layouts, cut short.
std::vector<Sound> make_seeds(const std::vector<Sound>& sounds) {
    std::vector<Sound> seeds;
    for (size_t i = 0; i < sounds.size(); ++i) {
        std::vector<uint8_t> bytes = sounds[i].bytes;
        bytes.resize(std::min<size_t>(bytes.size(), 700));
        write_u32le(bytes.data() + 4, uint32_t(bytes.size() - 8));
        write_u32le(bytes.data() + 40, uint32_t(bytes.size() - 44));  // data size in the 16-byte fmt layout
        seeds.push_back({"seed_" + std::to_string(i) + ".wav", bytes});
    }
    std::vector<int16_t> stereo(2 * 600);
    for (size_t i = 0; i < stereo.size(); ++i) stereo[i] = int16_t((i * 977) % 30000 - 15000);
    seeds.push_back({"stereo_adpcm.wav", ima_encoder::wav(stereo, 2, 22050, 512, 505)});
    std::vector<int16_t> small(200, 1000);
    seeds.push_back({"looped.wav", wav_writer::riff({wav_writer::pcm_format(1, 8000, 16), wav_writer::sample_loop(10, 150),
                                                     wav_writer::data(wav_writer::pcm16_bytes(small))})});
    return seeds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: sound_gen GAMEDATA_DIR [CORPUS_DIR]\n");
        return 2;
    }
    std::vector<Sound> sounds = make_sounds();
    if (!write_all(argv[1], sounds)) return 1;
    if (argc > 2 && !write_all(argv[2], make_seeds(sounds))) return 1;
    return 0;
}
