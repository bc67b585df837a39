#include "game/world/topic_menu.h"

#include <algorithm>
#include <cstdlib>
#include <strings.h>

#include "engine/core/crt_random.h"
#include "game/world/world.h"

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// The last part of a split is one word: blanks before it are skipped and it
// ends at the next blank.
std::string last_word(const std::string& text) {
    size_t start = 0;
    while (start < text.size() && is_space(text[start])) ++start;
    size_t end = start;
    while (end < text.size() && !is_space(text[end])) ++end;
    return text.substr(start, end - start);
}

// Splits at `separator` into at most `max_parts` parts. Every part but the
// last must be non-empty; an empty one ends the split there.
std::vector<std::string> split_parts(const std::string& text, char separator, size_t max_parts) {
    std::vector<std::string> parts;
    size_t pos = 0;
    while (parts.size() + 1 < max_parts) {
        const size_t next = text.find(separator, pos);
        const std::string part = text.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
        if (part.empty()) return parts;
        parts.push_back(part);
        if (next == std::string::npos) return parts;
        pos = next + 1;
    }
    const std::string rest = last_word(text.substr(pos));
    if (!rest.empty()) parts.push_back(rest);
    return parts;
}

bool same_text(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

bool is_hidden(const NpcTopic& topic, const World& world) {
    if (topic.hide_flag == 0) return false;
    const FlagRecord* flag = world.get_flag(topic.hide_flag);
    return flag && flag->value == 1;
}

TopicMenuEntry new_entry(const NpcTopic& topic, const TopicKey& key) {
    TopicMenuEntry entry;
    entry.topics.push_back(&topic);
    entry.group = key.group;
    entry.key = key.key;
    entry.label = key.label;
    entry.priority = key.priority;
    return entry;
}

void add_group_topic(std::vector<TopicMenuEntry>& menu, const NpcTopic& topic, const TopicKey& key) {
    if (!key.key.empty()) {
        for (TopicMenuEntry& entry : menu) {
            if (!entry.key.empty() && same_text(entry.key, key.key)) {
                entry.topics.push_back(&topic);
                return;
            }
        }
        menu.push_back(new_entry(topic, key));
        return;
    }
    if (key.priority != 0) {
        for (TopicMenuEntry& entry : menu) {
            if (!entry.key.empty() || entry.priority == 0 || !same_text(entry.group, key.group)) continue;
            if (key.priority < entry.priority) entry = new_entry(topic, key);
            return;
        }
    }
    menu.push_back(new_entry(topic, key));
}

}  // namespace

TopicKey split_topic_key(const std::string& text) {
    const std::vector<std::string> parts = split_parts(text, ':', 3);
    TopicKey key;
    if (parts.size() == 1) {
        key.label = parts[0];
    } else if (parts.size() == 2) {
        key.group = parts[0];
        key.label = parts[1];
    } else if (parts.size() == 3) {
        key.group = parts[0];
        key.key = parts[1];
        key.label = parts[2];
    }
    if (!key.label.empty() && key.label.back() == '*') key.label.pop_back();
    const size_t hash = key.label.find('#');
    if (hash != std::string::npos) {
        key.priority = std::atoi(key.label.c_str() + hash + 1);
        key.label.resize(hash);
    }
    return key;
}

std::vector<std::string> split_topic_request(const std::string& request) { return split_parts(request, ',', 4); }

std::vector<TopicMenuEntry> build_topic_menu(const NpcRecord& npc, const World& world, const std::string& request,
                                             const ExpressionTest& holds, const TopicRandom& random) {
    const std::vector<std::string> words = split_topic_request(request);
    std::vector<TopicMenuEntry> menu;
    if (words.empty()) return menu;
    for (const NpcTopic& topic : npc.topics) {
        if (is_hidden(topic, world)) continue;
        if (holds && !holds(topic.expression)) continue;
        const TopicKey key = split_topic_key(topic.key);
        for (const std::string& word : words) {
            if (word[0] == '[') {
                if (same_text(key.group, word)) add_group_topic(menu, topic, key);
            } else if (same_text(key.label, word)) {
                menu.push_back(new_entry(topic, key));
            }
        }
    }
    for (TopicMenuEntry& entry : menu) {
        if (entry.topics.size() < 2) continue;
        const int pick = random ? random() : crt_rand();
        const NpcTopic* kept = entry.topics[size_t(pick < 0 ? -pick : pick) % entry.topics.size()];
        entry.topics.assign(1, kept);
    }
    std::stable_sort(menu.begin(), menu.end(), [](const TopicMenuEntry& a, const TopicMenuEntry& b) {
        return std::lexicographical_compare(a.label.begin(), a.label.end(), b.label.begin(), b.label.end(),
                                            [](char x, char y) { return uint8_t(x) < uint8_t(y); });
    });
    return menu;
}
