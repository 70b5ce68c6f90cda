// The rate sampler and the graph's geometry: slots per connection, the two-second rates, the frozen
// graph, the scale labels and where the newest sample is drawn.
#include "shell/rate_sampler.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestovan {
namespace {

const RateSlot* slot_of(const RateSampler& sampler, std::uint32_t key)
{
    for (const RateSlot& slot : sampler.slot_table())
        if (slot.in_use && slot.key == key)
            return &slot;
    return nullptr;
}

TEST(RateSampler, AnEleventhConnectionTakesTheSlotComputedLongestAgo)
{
    RateSampler sampler;
    // Connection 4 appeared first, so its rate was computed longest ago.
    for (std::uint32_t key = 1; key <= RATE_SLOTS; ++key)
        sampler.record_sample(key, 100, key == 4 ? 10'000 : 10'000 + key * 10);
    sampler.record_sample(11, 5, 13'000);
    EXPECT_EQ(slot_of(sampler, 4), nullptr);
    for (std::uint32_t key : {1u, 2u, 3u, 5u, 10u})
        EXPECT_NE(slot_of(sampler, key), nullptr) << key;
    const RateSlot* fresh = slot_of(sampler, 11);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->last_time, 13'000 - RATE_FIRST_SPAN_MS);
    EXPECT_EQ(fresh->current_count, 5);
    EXPECT_EQ(fresh->previous_count, 0);
    EXPECT_EQ(fresh->rate, 0);
    EXPECT_EQ(fresh->write_index, 0);
    EXPECT_TRUE(std::all_of(fresh->samples.begin(), fresh->samples.end(), [](auto s) { return s == 0; }));
}

TEST(RateSampler, RatesAreTheMeanOfTheNewAndTheOldInBitsPerSecond)
{
    RateSampler sampler;
    sampler.record_sample(7, 0, 1'000); // last time 0
    sampler.record_sample(7, 2'000, 1'500);
    ASSERT_TRUE(sampler.tick(2'000)); // 2000 bytes over 2000 ms: 8000 bit/s, mean with 0
    const RateSlot& slot = *slot_of(sampler, 7);
    EXPECT_EQ(slot.rate, 4'000);
    EXPECT_EQ(slot.samples[0], 4'000);
    EXPECT_EQ(slot.write_index, 1);
    sampler.record_sample(7, 4'000, 3'000);
    ASSERT_TRUE(sampler.tick(4'000)); // 2000 more bytes over 2000 ms
    EXPECT_EQ(slot.rate, (8'000 + 4'000) / 2);
    EXPECT_EQ(slot.samples[1], 6'000);
}

TEST(RateSampler, TheGraphFreezesTwoSecondsAfterTheLastEvent)
{
    RateSampler sampler;
    sampler.record_sample(1, 1'000, 5'000);
    ASSERT_TRUE(sampler.tick(7'000)) << "exactly two seconds later still counts";
    const RateSlot before = *slot_of(sampler, 1);
    EXPECT_FALSE(sampler.tick(7'001 + RATE_TICK_MS - 1));
    EXPECT_FALSE(sampler.tick(9'001));
    const RateSlot& after = *slot_of(sampler, 1);
    EXPECT_EQ(after.write_index, before.write_index);
    EXPECT_EQ(after.samples, before.samples);
    EXPECT_FALSE(RateSampler().tick(0)) << "nothing happened at all yet";
}

TEST(RateSampler, ACurveOfZerosGoesAndTheMaximumOnlyGrows)
{
    RateSampler sampler;
    sampler.record_sample(1, 0, 0);
    sampler.record_sample(2, 100'000, 0);
    ASSERT_TRUE(sampler.tick(1'000));
    sampler.prepare_paint();
    EXPECT_EQ(slot_of(sampler, 1), nullptr);
    ASSERT_NE(slot_of(sampler, 2), nullptr);
    EXPECT_EQ(sampler.maximum(), 100'000 * 8'000 / 2'000 / 2);
    // No more bytes: the rate halves towards 0, and a ring later every sample is 0.
    for (std::int64_t t = 3'000; t < 3'000 + (RATE_SAMPLES + 40) * RATE_TICK_MS; t += RATE_TICK_MS) {
        sampler.record_sample(2, 100'000, t - 1);
        ASSERT_TRUE(sampler.tick(t));
    }
    sampler.prepare_paint();
    EXPECT_EQ(slot_of(sampler, 2), nullptr) << "300 zero samples later the curve is gone";
    EXPECT_EQ(sampler.maximum(), 200'000);
}

TEST(GraphLayout, TheTopLabelOfASmallGraphReadsForTheMinimumMaximum)
{
    RateSampler sampler;
    const GraphLayout layout = graph_layout(sampler, 0, 0, 600, 300, 60);
    ASSERT_FALSE(layout.labels.empty());
    EXPECT_EQ(layout.labels.front().text, "6.3Kbp"); // 5600 * 9 * 0.125 = 6300
    EXPECT_EQ(layout.labels.front().at.x, 60 - 45);
    EXPECT_EQ(layout.labels.front().at.y, 30 - 7);
    std::vector<std::string> texts;
    for (const GraphLabel& label : layout.labels)
        texts.push_back(label.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"6.3Kbp", "5.6Kbp", "4.9Kbp", "4.2Kbp", "3.5Kbp", "2.8Kbp",
                                               "2.1Kbp", "1.4Kbp"}));
    EXPECT_EQ(graph_label(700), "700Bps");
    // A short panel drops labels that would come within 20 pixels of the last one drawn: of y = 10,
    // 20, ... 80 only 10, 40 and 70 remain.
    EXPECT_EQ(graph_layout(sampler, 0, 0, 600, 100, 60).labels.size(), 3u);
    EXPECT_EQ(layout.grid.size(), 19u + 18u);
}

TEST(GraphLayout, TheNewestSampleStandsAtTheRightEdgeAndTheOldestAtTheLeft)
{
    RateSampler sampler;
    sampler.record_sample(3, 0, 0);
    sampler.record_sample(3, 1'400, 500);
    ASSERT_TRUE(sampler.tick(1'000)); // 1400 bytes in 2000 ms (new slot): 5600 bit/s, mean 2800
    sampler.prepare_paint();
    const GraphLayout layout = graph_layout(sampler, 0, 0, 370, 100, 60); // w = 300, h = 100
    ASSERT_EQ(layout.curves.size(), 1u);
    const auto& points = layout.curves[0].points;
    ASSERT_EQ(points.size(), static_cast<std::size_t>(RATE_SAMPLES));
    EXPECT_EQ(points.front().x, 60 + 299);
    EXPECT_EQ(points.front().y, 100 - static_cast<int>(2'800 * (0.8 / 5'600) * 100)); // 60
    EXPECT_EQ(points.back().x, 60);
    EXPECT_EQ(points.back().y, static_cast<int>(0.95 * 100)) << "a zero sample rests on the grid's foot";
}

} // namespace
} // namespace kestovan
