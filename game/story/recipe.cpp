#include "game/story/recipe.h"

#include "game/story/archive.h"
#include "game/story/story_record.h"

template <class Self>
void RecipeItem::fields(Self& self, Archive& ar) {
    ar.begin("RECIPEITEM", kRecordVersion);
    ar.text("Text1", self.text1);
    ar.text("Text2", self.text2);
    for (auto& v : self.values) ar.u32("Value", v);
    ar.end("RECIPEITEM");
}

void RecipeItem::serialize(Archive& ar) { fields(*this, ar); }

void RecipeItem::read(Archive& ar) { serialize(ar); }

void RecipeItem::write(Archive& ar) const { fields(*this, ar); }

template <class Self>
void RecipeCategory::fields(Self& self, Archive& ar) {
    ar.begin("RECIPECATEGORY", kRecordVersion);
    ar.text("Name", self.name);
    ar.u32("Value", self.value);
    ar.records("ITEMCNT", self.items, RecipeItem::kMinStoredBytes);
    ar.end("RECIPECATEGORY");
}

void RecipeCategory::serialize(Archive& ar) { fields(*this, ar); }

void RecipeCategory::read(Archive& ar) { serialize(ar); }

void RecipeCategory::write(Archive& ar) const { fields(*this, ar); }
