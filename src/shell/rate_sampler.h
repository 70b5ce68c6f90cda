// The transfer-rate sampler behind the "BPS" graph: ten slots, one per connection, each with a ring
// of 300 rates in bits per second, taken every two seconds from the byte counters that engine events
// report; and the graph's geometry (grid, curves, axes, scale labels) worked out here, so the panel
// only draws what it is given.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kestovan {

inline constexpr int RATE_SLOTS = 10;
inline constexpr int RATE_SAMPLES = 300;
inline constexpr std::int64_t RATE_TICK_MS = 2000;
// A new slot counts its first rate over one second.
inline constexpr std::int64_t RATE_FIRST_SPAN_MS = 1000;
// The graph's top never falls below this many bits per second.
inline constexpr std::int64_t GRAPH_MINIMUM_MAXIMUM = 5600;
// The label column is as wide as this text; 60 pixels when it cannot be measured.
inline constexpr std::string_view GRAPH_LABEL_SAMPLE = "500KBPS";
inline constexpr int GRAPH_LABEL_FALLBACK_WIDTH = 60;

struct RateSlot {
    std::uint32_t key = 0; // the connection's serial
    bool in_use = false;
    std::int64_t last_time = 0; // ms, of the last rate computation
    std::int64_t previous_count = 0;
    std::int64_t current_count = 0;
    std::int64_t rate = 0; // smoothed, bits per second
    std::array<std::int64_t, RATE_SAMPLES> samples{};
    int write_index = 0; // ring position of the next sample
};

struct CurveColour {
    int red = 0;
    int green = 0;
    int blue = 0;
};
// The pen of slot's curve: the slot's colour with every component halved.
[[nodiscard]] CurveColour curve_colour(int slot);

class RateSampler {
public:
    // Every engine event: the connection's key and byte counter. A connection without a slot takes
    // the first free one, or, when all are taken, the one whose rate was computed longest ago.
    void record_sample(std::uint32_t key, std::int64_t count, std::int64_t now);
    // The two-second tick: false (nothing moves) when the last event is more than a tick ago;
    // otherwise every slot's rate is the mean of the new and the old one, and a sample is stored.
    bool tick(std::int64_t now);
    // Before a paint: slots whose samples are all 0 are freed, and the maximum rises to the largest
    // sample (never below GRAPH_MINIMUM_MAXIMUM).
    void prepare_paint();

    [[nodiscard]] const std::array<RateSlot, RATE_SLOTS>& slot_table() const { return slots_; }
    [[nodiscard]] std::int64_t maximum() const { return maximum_; }

private:
    std::array<RateSlot, RATE_SLOTS> slots_{};
    std::int64_t last_event_ = 0;
    bool any_event_ = false;
    std::int64_t maximum_ = GRAPH_MINIMUM_MAXIMUM;
};

struct GraphPoint {
    int x = 0;
    int y = 0;
};
struct GraphLine {
    GraphPoint from;
    GraphPoint to;
};
struct GraphCurve {
    int slot = 0;
    std::vector<GraphPoint> points; // newest first, at the right edge
};
struct GraphLabel {
    GraphPoint at; // top left of the text
    std::string text;
};
struct GraphLayout {
    std::vector<GraphLine> grid; // 1 pixel, light grey
    std::vector<GraphCurve> curves;
    std::vector<GraphLine> axes; // 2 pixels, black
    std::vector<GraphLabel> labels;
};

// The panel's picture in a client rectangle, with the scale labels label_width pixels wide.
[[nodiscard]] GraphLayout graph_layout(const RateSampler& sampler, int left, int top, int right, int bottom,
                                       int label_width);
// A scale label for m bits per second: "6.3Kbp" from 1000 up, else "%dBps".
[[nodiscard]] std::string graph_label(std::int64_t m);

} // namespace kestovan
