#include "game/world/recipe.h"

#include "game/world/archive.h"
#include "game/world/story_record.h"

void RecipeItem::read(Archive& ar) {
    ar.read_begin("RECIPEITEM");
    text1 = ar.read_text("Text1");
    text2 = ar.read_text("Text2");
    for (int32_t& v : values) v = ar.read_i32("Value");
    ar.read_end("RECIPEITEM");
}

void RecipeItem::write(Archive& ar) const {
    ar.write_begin("RECIPEITEM", kRecordVersion);
    ar.write_string("Text1", text1);
    ar.write_string("Text2", text2);
    for (int32_t v : values) ar.write_u32("Value", uint32_t(v));
    ar.write_end("RECIPEITEM");
}

void RecipeCategory::read(Archive& ar) {
    ar.read_begin("RECIPECATEGORY");
    name = ar.read_text("Name");
    value = ar.read_u32("Value");
    const uint16_t count = ar.read_count("ITEMCNT", RecipeItem::kMinStoredBytes);
    items.assign(count, RecipeItem{});
    for (RecipeItem& item : items) item.read(ar);
    ar.read_end("RECIPECATEGORY");
}

void RecipeCategory::write(Archive& ar) const {
    ar.write_begin("RECIPECATEGORY", kRecordVersion);
    ar.write_string("Name", name);
    ar.write_u32("Value", value);
    ar.write_count("ITEMCNT", items.size());
    for (const RecipeItem& item : items) item.write(ar);
    ar.write_end("RECIPECATEGORY");
}
