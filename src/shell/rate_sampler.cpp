#include "shell/rate_sampler.h"

#include "ui/language.h"
#include "ui/string_ids.h"

#include <algorithm>

namespace kestovan {

namespace {

constexpr std::array<CurveColour, RATE_SLOTS> SLOT_COLOURS{{
    {5, 205, 45},
    {0, 205, 245},
    {145, 45, 145},
    {145, 145, 145},
    {145, 45, 145},
    {245, 45, 145},
    {0, 155, 155},
    {0, 45, 145},
    {145, 45, 145},
    {145, 145, 45},
}};

constexpr int GRID_DIVISIONS = 20;
constexpr int RIGHT_MARGIN = 10;
constexpr int LABEL_COUNT = 8;
constexpr int LABEL_MIN_GAP = 20;
constexpr int LABEL_LEFT = 45;
constexpr int LABEL_RAISE = 7;
// The curves reach up to this share of the height at the graph maximum.
constexpr double CURVE_HEIGHT = 0.8;

int floor_share(double share, int h)
{
    return static_cast<int>(share * h);
}

} // namespace

CurveColour curve_colour(int slot)
{
    const CurveColour& c = SLOT_COLOURS.at(static_cast<std::size_t>(slot));
    return {c.red / 2, c.green / 2, c.blue / 2};
}

void RateSampler::record_sample(std::uint32_t key, std::int64_t count, std::int64_t now)
{
    last_event_ = now;
    any_event_ = true;
    auto slot = std::find_if(slots_.begin(), slots_.end(),
                             [key](const RateSlot& s) { return s.in_use && s.key == key; });
    if (slot == slots_.end()) {
        slot = std::find_if(slots_.begin(), slots_.end(), [](const RateSlot& s) { return !s.in_use; });
        if (slot == slots_.end())
            slot = std::min_element(slots_.begin(), slots_.end(), [](const RateSlot& a, const RateSlot& b) {
                return a.last_time < b.last_time;
            });
        *slot = RateSlot{};
        slot->key = key;
        slot->in_use = true;
        slot->last_time = now - RATE_FIRST_SPAN_MS;
    }
    slot->current_count = count;
}

bool RateSampler::tick(std::int64_t now)
{
    if (!any_event_ || now - last_event_ > RATE_TICK_MS)
        return false;
    for (RateSlot& slot : slots_) {
        if (!slot.in_use)
            continue;
        const std::int64_t delta = slot.current_count - slot.previous_count;
        slot.previous_count = slot.current_count;
        std::int64_t elapsed = now - slot.last_time;
        if (elapsed <= 0)
            elapsed = RATE_TICK_MS;
        slot.last_time = now;
        slot.rate = (delta * 8000 / elapsed + slot.rate) >> 1;
        slot.samples[static_cast<std::size_t>(slot.write_index)] = slot.rate;
        slot.write_index = (slot.write_index + 1) % RATE_SAMPLES;
        slot.samples[static_cast<std::size_t>(slot.write_index)] = 0;
    }
    return true;
}

void RateSampler::prepare_paint()
{
    for (RateSlot& slot : slots_) {
        if (!slot.in_use)
            continue;
        const std::int64_t largest = *std::max_element(slot.samples.begin(), slot.samples.end());
        if (largest == 0)
            slot.in_use = false;
        maximum_ = std::max(maximum_, largest);
    }
}

std::string graph_label(std::int64_t m)
{
    if (m >= 1000)
        return format_string<IDS_GRAPH_LABEL_KBP>(static_cast<int>(m / 1000),
                                                  static_cast<int>((m % 1000) / 100));
    return format_string<IDS_GRAPH_LABEL_BPS>(static_cast<int>(m));
}

GraphLayout graph_layout(const RateSampler& sampler, int left, int top, int right, int bottom,
                         int label_width)
{
    GraphLayout layout;
    const int h = bottom - top;
    const int graph_left = left + label_width;
    const int graph_right = right - RIGHT_MARGIN;
    const int w = graph_right - graph_left;
    if (w <= 1 || h <= 0)
        return layout;
    const int upper = top + floor_share(0.05, h);
    const int lower_grid = floor_share(0.95, h);

    for (int k = 1; k < GRID_DIVISIONS; ++k) {
        const int x = graph_left + k * w / GRID_DIVISIONS;
        layout.grid.push_back({{x, upper}, {x, lower_grid}});
    }
    for (int k = 1; k < GRID_DIVISIONS - 1; ++k) {
        const int y = top + k * h / GRID_DIVISIONS;
        layout.grid.push_back({{graph_left, y}, {graph_right, y}});
    }

    const double scale = CURVE_HEIGHT / static_cast<double>(sampler.maximum());
    for (int s = 0; s < RATE_SLOTS; ++s) {
        const RateSlot& slot = sampler.slot_table()[static_cast<std::size_t>(s)];
        if (!slot.in_use)
            continue;
        GraphCurve curve{s, {}};
        curve.points.reserve(RATE_SAMPLES);
        // From the newest stored sample backwards: the ring position at the write index is the
        // cleared place of the next sample, which would pull every curve down to 0 at its right end.
        for (int i = 0; i < RATE_SAMPLES; ++i) {
            const int p = ((slot.write_index - 1 - i) % RATE_SAMPLES + RATE_SAMPLES) % RATE_SAMPLES;
            const std::int64_t sample = slot.samples[static_cast<std::size_t>(p)];
            const int a = std::max(0, w - (i * w - w) / (RATE_SAMPLES - 2));
            const int x = graph_left + std::min(a, w - 1);
            const int height = static_cast<int>(static_cast<double>(sample) * scale * h);
            const int y = top + std::min(std::max(0, h - height), lower_grid);
            curve.points.push_back({x, y});
        }
        layout.curves.push_back(std::move(curve));
    }

    const int baseline = bottom - floor_share(0.05, h);
    layout.axes.push_back({{graph_left, upper}, {graph_left, baseline}});
    layout.axes.push_back({{graph_left, baseline}, {graph_right, baseline}});

    int previous_y = top + h / 10 - 100; // the first label is always drawn
    for (int i = 1; i <= LABEL_COUNT; ++i) {
        const int y = top + i * h / 10;
        if (y - previous_y <= LABEL_MIN_GAP)
            continue;
        previous_y = y;
        const auto m = static_cast<std::int64_t>(static_cast<double>(sampler.maximum()) * (10 - i) * 0.125);
        layout.labels.push_back({{graph_left - LABEL_LEFT, y - LABEL_RAISE}, graph_label(m)});
    }
    return layout;
}

} // namespace kestovan
