// The menu of topics a person offers in a conversation, built from the
// request words of the previous answer.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "game/story/npc_record.h"

class World;

// A topic key split into its parts: "label", "group:label" or
// "group:key:label". A trailing "*" is dropped from the label, and "#n" in it
// cuts the label and gives the priority n.
struct TopicKey {
    std::string group;
    std::string key;
    std::string label;
    int priority = 0;
};

TopicKey split_topic_key(const std::string& text);
// Up to four comma-separated words.
std::vector<std::string> split_topic_request(const std::string& request);

struct TopicMenuEntry {
    std::vector<const NpcTopic*> topics;  // one after the menu is built
    std::string group;
    std::string key;
    std::string label;
    int priority = 0;
};

// Whether a topic's expression holds; the trigger model answers this.
using ExpressionTest = std::function<bool(const Expression&)>;
// The generator that picks one of the topics sharing an entry; unset, the
// program's rand generator.
using TopicRandom = std::function<int()>;

// Topics hidden by their flag or whose expression does not hold are left
// out. A word starting with "[" gathers the topics of that group: topics
// with a key share one entry per key; keyless topics with a priority keep
// only the best (lowest) priority of the group; keyless topics without one
// each get an entry. Any other word takes the topic whose label it names.
// Entries that gathered several topics keep one at random; the menu is
// sorted by label.
std::vector<TopicMenuEntry> build_topic_menu(const NpcRecord& npc, const World& world, const std::string& request,
                                             const ExpressionTest& holds, const TopicRandom& random);
