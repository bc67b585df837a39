// Cross-checks the decoder against BMP files written by other programs:
// ImageMagick, ffmpeg, netpbm and Pillow. ImageMagick also reads each file
// back, which gives the colours every file really holds. A missing tool fails
// the test; tools/install-deps test installs them all.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "engine/core/byte_order.h"
#include "engine/pictures/bmp_decoder.h"

namespace {

constexpr int kWidth = 13;
constexpr int kHeight = 7;

struct Command {
    int status = -1;
    std::string output;
};

// Runs a shell command and collects its output (with its messages when asked).
Command run(const std::string& command, bool with_messages = false) {
    Command result;
    FILE* pipe = popen((command + (with_messages ? " 2>&1" : " 2>/dev/null")).c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    result.status = pclose(pipe);
    return result;
}

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

uint16_t pack565(const uint8_t* rgb) {
    return uint16_t((rgb[0] & 0xF8) << 8 | (rgb[1] & 0xFC) << 3 | rgb[2] >> 3);
}
// A 5-bit green widened to 8 bits gains a low bit the decoder does not invent.
uint16_t pack555as565(const uint8_t* rgb) {
    return uint16_t((rgb[0] & 0xF8) << 8 | (rgb[1] & 0xF8) << 3 | rgb[2] >> 3);
}
uint8_t opacity(uint8_t a) { return a <= 250 ? uint8_t(a >> 3) : 32; }

class BmpInterop : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = testing::TempDir() + "bmp_interop_" + std::to_string(getpid());
        run("mkdir -p " + dir_);
        std::mt19937 rng(77);
        std::string rgba, rgb;
        for (int i = 0; i < kWidth * kHeight; ++i) {
            const uint8_t px[4] = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()),
                                   uint8_t(i % 5 == 0 ? 255 : rng())};
            rgba.append(reinterpret_cast<const char*>(px), 4);
            rgb.append(reinterpret_cast<const char*>(px), 3);
            source_alpha_.push_back(px[3]);
        }
        const std::string size = std::to_string(kWidth) + " " + std::to_string(kHeight);
        write_file(dir_ + "/src.pam", "P7\nWIDTH " + std::to_string(kWidth) + "\nHEIGHT " +
                                          std::to_string(kHeight) +
                                          "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" + rgba);
        write_file(dir_ + "/src.ppm", "P6\n" + size + "\n255\n" + rgb);
        write_file(dir_ + "/src.rgba", rgba);
    }

    static void TearDownTestSuite() { run("rm -rf " + dir_); }

    static std::string path(const std::string& name) { return dir_ + "/" + name; }

    // Makes `name` with `command` (which must succeed) and checks its depth.
    static std::vector<uint8_t> make(const std::string& tool, const std::string& command,
                                     const std::string& name, int bits) {
        const std::string probe = "command -v " + tool + " >/dev/null";
        EXPECT_EQ(std::system(probe.c_str()), 0)
            << tool << " is missing: run tools/install-deps test";
        EXPECT_EQ(run(command).status, 0) << command;
        auto file = read_file(path(name));
        EXPECT_GE(file.size(), 54u) << name;
        if (file.size() >= 54) {
            EXPECT_EQ(read_u16le(&file[28]), bits) << name;
        }
        return file;
    }

    // What ImageMagick reads from the file: 8-bit RGBA, top row first.
    static std::string truth(const std::string& name) {
        Command c = run("convert " + path(name) + " -depth 8 rgba:-");
        EXPECT_EQ(c.status, 0);
        EXPECT_EQ(c.output.size(), size_t(kWidth * kHeight * 4)) << name;
        return c.output;
    }

    static void expect_decoded(const std::string& name, const std::vector<uint8_t>& file,
                               bool five_five_five, bool with_alpha) {
        std::string error;
        auto b = decode_bmp(file, 0, error);
        ASSERT_TRUE(b) << name << ": " << error;
        ASSERT_EQ(b->width, kWidth);
        ASSERT_EQ(b->height, kHeight);
        const std::string rgba = truth(name);
        ASSERT_EQ(rgba.size(), size_t(kWidth * kHeight * 4));
        EXPECT_EQ(b->has_alpha(), with_alpha) << name;
        for (size_t i = 0; i < b->pixels.size(); ++i) {
            const auto* px = reinterpret_cast<const uint8_t*>(&rgba[i * 4]);
            ASSERT_EQ(b->pixels[i], five_five_five ? pack555as565(px) : pack565(px))
                << name << " pixel " << i;
            if (with_alpha) {
                ASSERT_EQ(b->alpha[i], opacity(source_alpha_[i])) << name << " pixel " << i;
            }
        }
    }

    static inline std::string dir_;
    static inline std::vector<uint8_t> source_alpha_;
};

TEST_F(BmpInterop, ImageMagickClassicFiles) {
    const std::string src = path("src.pam");
    struct Case {
        std::string options, name;
        int bits;
    };
    for (const Case& c : {Case{"-alpha off -type Bilevel", "im1.bmp", 1},
                          Case{"-alpha off -colors 16 -type Palette -compress none", "im4.bmp", 4},
                          Case{"-alpha off -type Palette -compress none", "im8.bmp", 8},
                          Case{"-alpha off -type TrueColor", "im24.bmp", 24}}) {
        auto file = make("convert", "convert " + src + " " + c.options + " BMP3:" + path(c.name),
                         c.name, c.bits);
        expect_decoded(c.name, file, false, false);
    }
    auto alpha = make("convert", "convert " + src + " -define bmp3:alpha=true BMP3:" + path("im32.bmp"),
                      "im32.bmp", 32);
    expect_decoded("im32.bmp", alpha, false, true);
}

TEST_F(BmpInterop, ImageMagickModernHeadersAndMasks) {
    const std::string src = path("src.pam");
    auto v5 = make("convert", "convert " + src + " -alpha off -type TrueColor BMP:" + path("v5.bmp"),
                   "v5.bmp", 24);
    EXPECT_EQ(read_u32le(&v5[14]), 124u);
    expect_decoded("v5.bmp", v5, false, false);

    auto v5alpha = make("convert", "convert " + src + " BMP:" + path("v5a.bmp"), "v5a.bmp", 32);
    EXPECT_EQ(read_u32le(&v5alpha[30]), 3u);
    expect_decoded("v5a.bmp", v5alpha, false, true);

    auto m565 = make("convert",
                     "convert " + src + " -alpha off -define bmp:subtype=RGB565 BMP:" + path("m565.bmp"),
                     "m565.bmp", 16);
    expect_decoded("m565.bmp", m565, false, false);
    auto m555 = make("convert",
                     "convert " + src + " -alpha off -define bmp:subtype=RGB555 BMP:" + path("m555.bmp"),
                     "m555.bmp", 16);
    expect_decoded("m555.bmp", m555, true, false);
}

TEST_F(BmpInterop, ImageMagickRunLengthIsRefused) {
    auto rle = make("convert", "convert " + path("src.pam") + " -alpha off -type Palette BMP3:" + path("rle.bmp"),
                    "rle.bmp", 8);
    std::string error;
    EXPECT_FALSE(decode_bmp(rle, 0, error));
    EXPECT_EQ(error, "unsupported compression 1");
}

TEST_F(BmpInterop, FfmpegSixteenBitFiles) {
    const std::string src = path("src.ppm");
    auto f555 = make("ffmpeg", "ffmpeg -loglevel error -y -i " + src + " -pix_fmt rgb555le " + path("f555.bmp"),
                     "f555.bmp", 16);
    EXPECT_EQ(read_u32le(&f555[30]), 0u);
    expect_decoded("f555.bmp", f555, true, false);
    auto f565 = make("ffmpeg", "ffmpeg -loglevel error -y -i " + src + " -pix_fmt rgb565le " + path("f565.bmp"),
                     "f565.bmp", 16);
    expect_decoded("f565.bmp", f565, false, false);
}

TEST_F(BmpInterop, NetpbmAndPillow) {
    auto netpbm = make("ppmtobmp", "ppmtobmp -windows " + path("src.ppm") + " > " + path("pbm.bmp"),
                       "pbm.bmp", 8);
    expect_decoded("pbm.bmp", netpbm, false, false);

    const std::string script = "from PIL import Image; Image.frombytes('RGBA', (" +
                               std::to_string(kWidth) + ", " + std::to_string(kHeight) +
                               "), open('" + path("src.rgba") + "', 'rb').read()).save('" +
                               path("pil.bmp") + "')";
    auto pil = make("/usr/bin/python3", "/usr/bin/python3 -c \"" + script + "\"", "pil.bmp", 32);
    expect_decoded("pil.bmp", pil, false, true);
}

TEST_F(BmpInterop, BmpToPngShowsWhatTheGameSees) {
    const std::string tool = std::string(NIMBREL_BINARY_DIR) + "/tools/bmp_to_png/bmp_to_png";
    auto file = make("convert", "convert " + path("src.pam") + " -define bmp3:alpha=true BMP3:" + path("t.bmp"),
                     "t.bmp", 32);
    ASSERT_EQ(run(tool + " " + path("t.bmp") + " " + path("t.png") + " --grayscale").status, 0);
    std::string error;
    auto b = decode_bmp(file, 0x10000, error);
    ASSERT_TRUE(b) << error;
    const std::string png = truth("t.png");
    ASSERT_EQ(png.size(), b->pixels.size() * 4);
    for (size_t i = 0; i < b->pixels.size(); ++i) {
        const uint16_t p = b->pixels[i];
        const auto* px = reinterpret_cast<const uint8_t*>(&png[i * 4]);
        ASSERT_EQ(px[0], uint8_t((p >> 11) << 3 | (p >> 11) >> 2)) << i;
        ASSERT_EQ(px[1], uint8_t((p >> 5 & 63) << 2 | (p >> 5 & 63) >> 4)) << i;
        ASSERT_EQ(px[3], uint8_t(b->alpha[i] * 255 / 32)) << i;
    }

    write_file(path("bad.bmp"), "BM");
    Command bad = run(tool + " " + path("bad.bmp") + " " + path("bad.png"), true);
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.output.find("bad.bmp"), std::string::npos) << bad.output;
    EXPECT_NE(run(tool + " " + path("t.bmp") + " " + path("u.png") + " --bogus").status, 0);
}

}  // namespace
