// storyc: compiles a story source (data/story/*.story) into the binary story
// folder the game loads, or writes a synthetic story for benchmarks.
//
//   storyc SOURCE OUTPUT_FOLDER
//   storyc --synthetic COUNT OUTPUT_FOLDER
//   storyc --help
//   storyc --fuzz-seeds STORY_FOLDER CORPUS_FOLDER
//     one seed a story file: the file's index among the folder's sorted
//     names, then its bytes (the story loader fuzz target's input form)
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "game/story/story_source.h"
#include "game/story/story_writer.h"
#include "game/world/world.h"
#include "tools/storyc/synthetic_story.h"

namespace {

constexpr const char* kUsage =
    "usage: storyc SOURCE OUTPUT_FOLDER\n"
    "       storyc --synthetic COUNT OUTPUT_FOLDER\n"
    "       storyc --help\n"
    "Compiles a story source into the story folder the game reads; faults are\n"
    "told as SOURCE:LINE: message, and nothing is written while one is left.\n";

int usage(FILE* to, int exit_code) {
    std::fputs(kUsage, to);
    return exit_code;
}

// Prints every fault; true when none of them is an error.
bool report(const std::string& source, const std::vector<StorySourceError>& found) {
    for (const StorySourceError& e : found) {
        const char* kind = e.warning ? "warning: " : "";
        if (e.line > 0) std::fprintf(stderr, "%s:%d: %s%s\n", source.c_str(), e.line, kind, e.message.c_str());
        else std::fprintf(stderr, "%s: %s%s\n", source.c_str(), kind, e.message.c_str());
    }
    return !has_errors(found);
}

// Whether the file is one this compiler writes: the story, regions,
// triggers, people, monsters and items.
bool is_compiled_story_file(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".rpg" || ext == ".rgn" || ext == ".trg" || ext == ".npc" || ext == ".mon" || ext == ".itm";
}

// Removes what an earlier run wrote, so that a region, level or numbered
// file the story no longer has does not stay behind in the folder.
void remove_compiled_files(const std::string& folder) {
    std::error_code ec;
    std::vector<std::filesystem::path> stale;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.is_regular_file() && is_compiled_story_file(entry.path())) stale.push_back(entry.path());
    for (const auto& file : stale) std::filesystem::remove(file, ec);
}

bool write_folder(const World& world, const StoryFolderPlan& plan, const std::string& folder) {
    // Files already in the folder (key files copied from data/files) stay.
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "storyc: cannot make %s: %s\n", folder.c_str(), ec.message().c_str());
        return false;
    }
    remove_compiled_files(folder);
    std::string error;
    if (!write_story_folder(world, plan, folder, &error)) {
        std::fprintf(stderr, "storyc: %s\n", error.c_str());
        return false;
    }
    return true;
}

int compile(const std::string& source, const std::string& folder) {
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "storyc: cannot read %s\n", source.c_str());
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    World world;
    StoryFolderPlan plan;
    if (!report(source, check_story_source(text.str(), world, plan))) return 1;
    return write_folder(world, plan, folder) ? 0 : 1;
}

int synthetic(const std::string& count_text, const std::string& folder) {
    char* end = nullptr;
    const long count = std::strtol(count_text.c_str(), &end, 10);
    if (*end != 0 || count < 1 || count > 60000) {
        std::fprintf(stderr, "storyc: the synthetic count is 1 .. 60000\n");
        return 2;
    }
    World world;
    StoryFolderPlan plan;
    build_synthetic_story(uint32_t(count), world, plan);
    if (!report("synthetic story", validate_story(world, plan))) return 1;
    return write_folder(world, plan, folder) ? 0 : 1;
}

int fuzz_seeds(const std::string& story, const std::string& corpus) {
    std::error_code ec;
    std::filesystem::create_directories(corpus, ec);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(story, ec)) files.push_back(entry.path());
    if (ec || files.empty()) {
        std::fprintf(stderr, "storyc: no story files in %s\n", story.c_str());
        return 1;
    }
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return a.filename().string() < b.filename().string(); });
    for (size_t i = 0; i < files.size(); ++i) {
        std::ifstream in(files[i], std::ios::binary);
        std::ofstream out(std::filesystem::path(corpus) / ("seed-" + files[i].filename().string()), std::ios::binary);
        out.put(char(i));
        out << in.rdbuf();
        if (!out) return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) return usage(stdout, 0);
    if (argc == 4 && std::string(argv[1]) == "--synthetic") return synthetic(argv[2], argv[3]);
    if (argc == 4 && std::string(argv[1]) == "--fuzz-seeds") return fuzz_seeds(argv[2], argv[3]);
    if (argc == 3) return compile(argv[1], argv[2]);
    return usage(stderr, 2);
}
