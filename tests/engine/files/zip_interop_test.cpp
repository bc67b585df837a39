// Archives made by other writers: the standard zip tool at several levels,
// with and without its extra fields, and Python's zipfile (seekable and
// streamed with data descriptors); and the demo data's own data.zip. Every
// member must equal its source file byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>

#include "engine/files/zip_archive.h"
#include "tests/engine/files/zip_test_support.h"

namespace {

using namespace zip_test;

struct CloseArchive {
    void operator()(ZipArchive* a) const { ZipArchive::close(a); }
};
using ArchivePtr = std::unique_ptr<ZipArchive, CloseArchive>;

// Reads every file member and checks it against `source / name`; returns
// the number of files compared.
size_t compare_with_sources(const fs::path& archive_path, const fs::path& source) {
    ArchivePtr archive(ZipArchive::open(archive_path.c_str()));
    EXPECT_TRUE(archive) << archive_path;
    if (!archive) return 0;
    size_t compared = 0;
    for (uint32_t i = 0; i < archive->entry_count(); ++i) {
        EXPECT_EQ(archive->go_to_entry(i), kZipOk);
        std::string name = archive->entry_name();
        if (name.empty() || name.back() == '/') continue;  // a folder
        int result;
        std::vector<uint8_t> data = read_member(*archive, result, 7000);
        EXPECT_EQ(result, kZipOk) << archive_path << ": " << name;
        EXPECT_TRUE(data == read_file(source / name)) << archive_path << ": " << name;
        ++compared;
    }
    return compared;
}

class ZipInteropTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        scratch_ = new ScratchFolder("zip-interop");
        fs::path src = *scratch_ / "src";
        write_file(src / "readme.txt", text_bytes("A short text member.\n"));
        write_file(src / "empty.dat", {});
        write_file(src / "Data" / "Noise.bin", pseudo_random_bytes(10000, 11));
        std::vector<uint8_t> letters;
        auto random = pseudo_random_bytes(200000, 12);
        for (uint8_t b : random) letters.push_back(uint8_t("ACGT"[b & 3]));
        write_file(src / "Data" / "Sub Dir" / "Letters.TXT", letters);
        std::vector<uint8_t> map;
        for (int i = 0; i < 30000; ++i) map.push_back(uint8_t(i % 7 == 0 ? i / 7 : 0));
        write_file(src / "Maps" / "Level01.MAP", map);
    }
    static void TearDownTestSuite() {
        delete scratch_;
        scratch_ = nullptr;
    }

    static fs::path src() { return *scratch_ / "src"; }

    static void run(const std::string& command) {
        std::string full = "cd '" + src().string() + "' && " + command;
        ASSERT_EQ(std::system(full.c_str()), 0) << full;
    }

    static ScratchFolder* scratch_;
};

ScratchFolder* ZipInteropTest::scratch_ = nullptr;

TEST_F(ZipInteropTest, StandardZipToolAtEveryLevel) {
    std::map<std::string, std::string> variants = {
        {"z0.zip", "-0"}, {"z1.zip", "-1"}, {"z9.zip", "-9"},
        {"z0x.zip", "-0 -X"}, {"z9x.zip", "-9 -X"},
    };
    for (const auto& [file, flags] : variants) {
        fs::path out = *scratch_ / file;
        run("zip -q -r " + flags + " '" + out.string() + "' .");
        EXPECT_EQ(compare_with_sources(out, src()), 5u) << file;
    }
}

TEST_F(ZipInteropTest, PythonZipfileSeekableAndStreamed) {
    const std::string script =
        "import os, sys, zipfile\n"
        "def pack(target):\n"
        "    with zipfile.ZipFile(target, 'w') as z:\n"
        "        for root, dirs, files in sorted(os.walk('.')):\n"
        "            for f in sorted(files):\n"
        "                p = os.path.join(root, f)[2:]\n"
        "                m = zipfile.ZIP_STORED if f.endswith('.bin') else zipfile.ZIP_DEFLATED\n"
        "                z.write(p, p, compress_type=m)\n"
        "if sys.argv[1] == '-':\n"
        "    pack(sys.stdout.buffer)\n"
        "else:\n"
        "    pack(sys.argv[1])\n";
    fs::path script_path = *scratch_ / "pack.py";
    write_file(script_path, text_bytes(script));
    fs::path seekable = *scratch_ / "py.zip";
    fs::path streamed = *scratch_ / "py-stream.zip";
    run("python3 '" + script_path.string() + "' '" + seekable.string() + "'");
    run("python3 '" + script_path.string() + "' - | cat > '" + streamed.string() + "'");
    EXPECT_EQ(compare_with_sources(seekable, src()), 5u);
    EXPECT_EQ(compare_with_sources(streamed, src()), 5u);
}

TEST(DemoArchive, EveryMemberMatchesItsSourceFile) {
    // Members come from the loose demo data, or from data/archive where a
    // member deliberately differs from the loose file it stands behind.
    fs::path data = NIMBREL_DEMO_DATA_DIR;
    ScratchFolder merged("demo-archive");
    const auto options = fs::copy_options::recursive | fs::copy_options::overwrite_existing;
    fs::copy(data, merged.path(), options);
    fs::copy(fs::path(NIMBREL_SOURCE_DIR) / "data" / "archive", merged.path(), options);
    EXPECT_GE(compare_with_sources(data / "data.zip", merged.path()), 4u);

    ArchivePtr archive(ZipArchive::open((data / "data.zip").c_str()));
    ASSERT_TRUE(archive);
    // The samples the archive must carry: a stored member over one read
    // block, and a deflated one whose compressed data span several blocks.
    ASSERT_EQ(archive->locate("archive/stored10000.bin"), kZipOk);
    EXPECT_EQ(archive->entry_info().method, 0);
    EXPECT_EQ(archive->entry_info().uncompressed_size, 10000u);
    ASSERT_EQ(archive->locate("ARCHIVE\\Deflated\\letters160k.txt"), kZipOk);
    EXPECT_EQ(archive->entry_info().method, 8);
    EXPECT_GT(archive->entry_info().compressed_size, 24u * 1024);
}

}  // namespace
