#include "game/story/story_writer.h"

#include "game/story/archive.h"
#include "game/story/story_paths.h"
#include "game/world/world.h"

namespace {

template <class List>
void write_list(Archive& ar, const char* key, const List& list) {
    ar.count(key, list.size(), 1);
    for (const auto& record : list) record->write(ar);
}

bool finish(Archive& ar, std::string* error) {
    const bool failed = ar.failed();
    const std::string reason = failed ? ar.error() : "cannot be written";
    if (ar.close()) return true;
    if (error) *error = ar.name() + ": " + reason;
    return false;
}

// Records go to the file numbered id % 15; file 0 is always written, since
// its presence is what selects the per-id mode.
template <class List>
bool write_numbered_files(const List& list, const std::string& folder, const char* extension, std::string* error) {
    for (uint32_t n = 0; n < kNumberedStoryFiles; ++n) {
        uint32_t count = 0;
        for (const auto& record : list)
            if (record->id % kNumberedStoryFiles == n) ++count;
        if (count == 0 && n != 0) continue;
        Archive ar;
        ar.open_write(numbered_story_file(folder, n, extension));
        ar.record_count("COUNT", count, 1);
        for (const auto& record : list)
            if (record->id % kNumberedStoryFiles == n) record->write(ar);
        if (!finish(ar, error)) return false;
    }
    return true;
}

bool write_story_rpg(const World& world, const StoryFolderPlan& plan, const std::string& folder, std::string* error) {
    Archive ar;
    ar.open_write(folder + "/story.rpg");
    ar.begin("MS_RPGSTORY", kRecordVersion);
    if (!plan.people_in_files) write_list(ar, "NPCCNT", world.people);
    write_list(ar, "RECIPECNT", world.recipe_categories);
    if (!plan.items_in_files) write_list(ar, "ITEMGROUPCNT", world.item_groups);
    write_list(ar, "REGIONCNT", world.regions);
    write_list(ar, "FLAGCNT", world.flags);
    if (!plan.people_in_files) write_list(ar, "TRIGGERCNT", world.triggers);
    ar.u32("CurLevel", world.stored_level_id);
    if (!plan.monsters_in_files) write_list(ar, "MONSTERCNT", world.monsters);
    write_list(ar, "QUESTCNT", world.quests);
    ar.end("MS_RPGSTORY");
    return finish(ar, error);
}

bool write_trigger_file(const std::string& path, const std::vector<std::shared_ptr<Trigger>>& triggers,
                        std::string* error) {
    Archive ar;
    ar.open_write(path);
    ar.record_count("COUNT", triggers.size(), 1);
    for (const auto& trigger : triggers) trigger->write(ar);
    return finish(ar, error);
}

}  // namespace

bool write_story_folder(const World& world, const StoryFolderPlan& plan, const std::string& folder,
                        std::string* error) {
    if (!write_story_rpg(world, plan, folder, error)) return false;
    if (plan.people_in_files && !write_numbered_files(world.people, folder, "npc", error)) return false;
    if (plan.monsters_in_files && !write_numbered_files(world.monsters, folder, "mon", error)) return false;
    if (plan.items_in_files && !write_numbered_files(world.item_groups, folder, "itm", error)) return false;
    for (const auto& region : world.regions) {
        Archive ar;
        ar.open_write(folder + "/" + region->file_name());
        region->write_tiles(ar);
        if (!finish(ar, error)) return false;
    }
    if (plan.people_in_files) {
        for (const auto& [level_id, triggers] : plan.level_triggers) {
            if (!write_trigger_file(trigger_story_file(folder, level_id), triggers, error)) return false;
        }
    }
    return true;
}
