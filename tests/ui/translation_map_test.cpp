#include "ui/translation_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace kestovan {
namespace {

std::map<std::string, std::string> contents(const TranslationMap& map)
{
    std::map<std::string, std::string> all;
    map.for_each([&all](std::string_view key, std::string_view value) {
        EXPECT_TRUE(all.emplace(std::string(key), std::string(value)).second) << "key visited twice: " << key;
    });
    return all;
}

// Keys that share prefixes in every way a split can happen: a key inside another's fragment, keys that
// diverge after a common prefix, a key that continues another, qualified and plain forms of one text.
std::vector<std::string> shared_prefix_keys()
{
    std::vector<std::string> keys = {"O",          "Op",
                                     "Open",       "Opening",
                                     "Open File",  "Open:2000",
                                     "Open:200",   "Options",
                                     "Optional",   "Option",
                                     "&Open",      "&Options",
                                     "Owner:",     "Owner",
                                     "Ow",         "Connect",
                                     "Connec&t",   "Connected to %s",
                                     "Connecting", "\r\nConnecting to %s"};
    for (int i = 0; i < 400; ++i) {
        keys.push_back("File " + std::to_string(i));
        keys.push_back("File " + std::to_string(i) + ":" + std::to_string(i % 7));
        keys.push_back("Filename " + std::to_string(i * 13));
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

std::string value_for(const std::string& key)
{
    return "<" + key + ">";
}

TEST(TranslationMap, FindsEveryKeyAmongManySharedPrefixesAndNothingElse)
{
    const std::vector<std::string> keys = shared_prefix_keys();
    TranslationMap map;
    for (const std::string& key : keys)
        ASSERT_TRUE(map.insert(key, value_for(key)));
    EXPECT_EQ(map.size(), keys.size());
    for (const std::string& key : keys) {
        auto found = map.find(key);
        ASSERT_TRUE(found) << key;
        EXPECT_EQ(*found, value_for(key));
    }
    // Prefixes, continuations and near misses that were never inserted.
    for (const char* absent :
         {"", "Ope", "Openi", "Open Fil", "Open Files", "Open:20", "Open:20000", "Opt", "o", "File",
          "File 1:", "File 400", "Filename", "Connect ", "\r\n", "Owner::"}) {
        EXPECT_FALSE(map.find(absent)) << absent;
    }
}

TEST(TranslationMap, InsertionOrderDoesNotChangeTheMap)
{
    std::vector<std::string> keys = shared_prefix_keys();
    TranslationMap sorted;
    for (const std::string& key : keys)
        sorted.insert(key, value_for(key));
    const auto expected = contents(sorted);
    ASSERT_EQ(expected.size(), keys.size());

    std::mt19937 random(20240611);
    for (int round = 0; round < 5; ++round) {
        std::shuffle(keys.begin(), keys.end(), random);
        if (round == 1)
            std::reverse(keys.begin(), keys.end());
        TranslationMap shuffled;
        for (const std::string& key : keys)
            shuffled.insert(key, value_for(key));
        EXPECT_EQ(contents(shuffled), expected) << "round " << round;
        EXPECT_EQ(shuffled.node_count(), sorted.node_count()) << "round " << round;
        EXPECT_EQ(shuffled.size(), sorted.size());
    }
}

TEST(TranslationMap, InsertingAgainReplacesTheValueOnly)
{
    TranslationMap map;
    for (const std::string& key : shared_prefix_keys())
        map.insert(key, value_for(key));
    const std::size_t size = map.size();
    const std::size_t nodes = map.node_count();

    for (const char* key : {"Open", "O", "Opening", "File 17:3"}) {
        map.insert(key, "replaced");
        EXPECT_EQ(map.find(key), std::optional<std::string_view>("replaced")) << key;
    }
    EXPECT_EQ(map.size(), size);
    EXPECT_EQ(map.node_count(), nodes);
    EXPECT_EQ(map.find("Op"), std::optional<std::string_view>("<Op>"));
    EXPECT_EQ(map.find("Open File"), std::optional<std::string_view>("<Open File>"));
}

struct SplitCase {
    const char* what;
    std::vector<std::string> keys; // inserted in this order
    std::size_t nodes;             // nodes of the compressed tree
};

void PrintTo(const SplitCase& c, std::ostream* out)
{
    *out << c.what;
}

class TranslationMapSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(TranslationMapSplit, KeepsEveryKeyAndNoSpareNode)
{
    const SplitCase& c = GetParam();
    TranslationMap map;
    for (const std::string& key : c.keys)
        map.insert(key, value_for(key));
    for (const std::string& key : c.keys)
        EXPECT_EQ(map.find(key), std::optional<std::string_view>(value_for(key))) << key;
    EXPECT_EQ(map.size(), c.keys.size());
    EXPECT_EQ(map.node_count(), c.nodes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TranslationMapSplit,
    ::testing::Values(
        // "abc" then "abd": the split leaves "ab" without a value above "c" and "d".
        SplitCase{"diverge inside a fragment", {"abc", "abd"}, 3},
        SplitCase{"new key ends where the old one splits", {"abcd", "ab"}, 2},
        SplitCase{"new key continues an old one", {"ab", "abcd"}, 2},
        SplitCase{"diverge at the first character", {"abc", "xyz"}, 2},
        SplitCase{"split of a node that already has children", {"abcd", "abce", "ax"}, 5},
        SplitCase{"split right after the first character", {"abc", "axc", "a"}, 3},
        SplitCase{"three-way divergence", {"test1", "test2", "test3", "tes"}, 5}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return "case" + std::to_string(info.index); });

TEST(TranslationMap, EmptyKeyIsRefusedAndClearEmpties)
{
    TranslationMap map;
    EXPECT_FALSE(map.insert("", "x"));
    EXPECT_TRUE(map.empty());
    map.insert("a", "1");
    map.insert("ab", "2");
    map.clear();
    EXPECT_TRUE(map.empty());
    EXPECT_EQ(map.node_count(), 0u);
    EXPECT_FALSE(map.find("a"));
    map.insert("ab", "3");
    EXPECT_EQ(map.find("ab"), std::optional<std::string_view>("3"));
}

TEST(TranslationMap, MoveLeavesTheSourceEmpty)
{
    TranslationMap a;
    a.insert("Close", "Fermer");
    TranslationMap b(std::move(a));
    EXPECT_EQ(b.find("Close"), std::optional<std::string_view>("Fermer"));
    EXPECT_TRUE(a.empty()); // NOLINT(bugprone-use-after-move): the moved-from state is what is checked
    a = std::move(b);
    EXPECT_EQ(a.size(), 1u);
}

TEST(TranslationMap, VeryLongKeysWithSharedPrefixesAreTornDownSafely)
{
    // Every key continues the previous one: a chain of thousands of child nodes.
    const std::string text(4000, 'x');
    auto map = std::make_unique<TranslationMap>();
    for (std::size_t length = 1; length <= text.size(); ++length)
        map->insert(std::string_view(text).substr(0, length), "v");
    EXPECT_EQ(map->size(), text.size());
    EXPECT_EQ(map->node_count(), text.size());
    EXPECT_TRUE(map->find(text));
    map.reset();
}

} // namespace
} // namespace kestovan
