#include "game/story/recipe.h"

#include "game/story/archive.h"
#include "game/story/story_record.h"

void RecipeItem::serialize(Archive& ar) {
    ar.begin("RECIPEITEM", kRecordVersion);
    ar.text("Text1", text1);
    ar.text("Text2", text2);
    for (int32_t& v : values) ar.u32("Value", v);
    ar.end("RECIPEITEM");
}

void RecipeItem::read(Archive& ar) { serialize(ar); }

void RecipeItem::write(Archive& ar) const { ar.write_record(*this); }

void RecipeCategory::serialize(Archive& ar) {
    ar.begin("RECIPECATEGORY", kRecordVersion);
    ar.text("Name", name);
    ar.u32("Value", value);
    ar.records("ITEMCNT", items, RecipeItem::kMinStoredBytes);
    ar.end("RECIPECATEGORY");
}

void RecipeCategory::read(Archive& ar) { serialize(ar); }

void RecipeCategory::write(Archive& ar) const { ar.write_record(*this); }
