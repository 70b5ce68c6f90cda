#include "settings/window_placement.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

TEST(WindowPlacement, RoundTripsEveryStateAndPaneCount)
{
    const WindowPlacement placements[] = {
        {0, 0, 640, 480, WindowState::NORMAL, {}},
        {-1920, -40, -100, 1000, WindowState::MAXIMIZED, {{250, 750}}},
        {10, 20, 30, 40, WindowState::MINIMIZED, {{0, 0}, {65535, 1}, {300, 200}}},
    };
    for (const WindowPlacement& placement : placements) {
        const std::string text = format_window_placement(placement);
        EXPECT_EQ(parse_window_placement(text), placement) << text;
    }
    EXPECT_EQ(format_window_placement(placements[1]), "-1920,-40,-100,1000,1,250,750");
}

TEST(WindowPlacement, OutOfRangePaneSizesAreClampedSoTheTextReadsBack)
{
    WindowPlacement placement{0, 0, 100, 100, WindowState::NORMAL, {{-5, 70000}}};
    const std::string text = format_window_placement(placement);
    EXPECT_EQ(text, "0,0,100,100,0,0,65535");
    ASSERT_TRUE(parse_window_placement(text));
    EXPECT_EQ(parse_window_placement(text)->panes, (std::vector<PaneSizes>{{0, 65535}}));
}

TEST(WindowPlacement, TextsWithoutAUsableRectangleGiveNoPlacement)
{
    const std::string_view bad[] = {
        "",
        "garbage",
        "1,2,3,4",                      // no state
        "1,2,3,x,0",                    // not a number
        "1,2,3,4.5,0",                  // not a whole number
        "10,10,10,200,0",               // no width
        "10,200,300,100,0",             // bottom above top
        "0,0,99999999999,100,0",        // beyond int
        "-2147483648,0,2147483647,5,0", // width beyond int, still a rectangle
    };
    for (std::string_view text : bad) {
        const bool has_placement = parse_window_placement(text).has_value();
        EXPECT_EQ(has_placement, text == bad[8]) << text;
    }
}

TEST(WindowPlacement, PaneListStopsQuietlyAtTheFirstBadOrIncompletePair)
{
    struct Row {
        std::string_view text;
        std::vector<PaneSizes> panes;
    };
    const Row rows[] = {
        {"0,0,10,10,0,1,2,3", {{1, 2}}},       // text runs out inside a pair
        {"0,0,10,10,0,1,2,x,4,5,6", {{1, 2}}}, // not a number
        {"0,0,10,10,0,1,2,70000,4", {{1, 2}}}, // beyond 16 bits
        {"0,0,10,10,0,-1,2", {}},              // negative
        {"0,0,10,10,0,", {}},
        {" 0 , 0 ,10,10, 0 , 7 , 8 ", {{7, 8}}}, // blanks around numbers
    };
    for (const Row& row : rows) {
        const std::optional<WindowPlacement> placement = parse_window_placement(row.text);
        ASSERT_TRUE(placement) << row.text;
        EXPECT_EQ(placement->panes, row.panes) << row.text;
    }
}

TEST(WindowPlacement, UnknownStateReadsAsNormalAndManyPanesAreBounded)
{
    std::string text = "0,0,10,10,9";
    for (int i = 0; i < 1000; ++i)
        text += ",1,1";
    const std::optional<WindowPlacement> placement = parse_window_placement(text);
    ASSERT_TRUE(placement);
    EXPECT_EQ(placement->state, WindowState::NORMAL);
    EXPECT_EQ(placement->panes.size(), MAX_PANES);
}

TEST(WindowPlacement, AWindowOffEveryScreenMovesOntoThePrimaryOne)
{
    const ScreenArea left{0, 0, 1920, 1080};
    const ScreenArea right{1920, 0, 1280, 1024};
    struct Row {
        WindowPlacement stored;
        std::vector<ScreenArea> screens;
        WindowPlacement expected;
    };
    // Built by a function rather than as aggregates: g++ 12 at -O3 reports the vector inside an
    // aggregate row as maybe uninitialised (a false report).
    const auto at = [](int l, int t, int r, int b, WindowState state, std::vector<PaneSizes> panes = {}) {
        WindowPlacement p;
        p.left = l;
        p.top = t;
        p.right = r;
        p.bottom = b;
        p.state = state;
        p.panes = std::move(panes);
        return p;
    };
    const std::vector<Row> rows = {
        // On the second screen while it is there: kept.
        {at(2000, 100, 2800, 700, WindowState::MAXIMIZED, {{1, 2}}),
         {left, right},
         at(2000, 100, 2800, 700, WindowState::MAXIMIZED, {{1, 2}})},
        // The second screen is gone: centred on the primary one, state and panes kept.
        {at(2000, 100, 2800, 700, WindowState::MAXIMIZED, {{1, 2}}),
         {left},
         at(560, 240, 1360, 840, WindowState::MAXIMIZED, {{1, 2}})},
        // Larger than the primary screen: shrunk to it.
        {at(-5000, 0, -1000, 3000, WindowState::NORMAL), {left}, at(0, 0, 1920, 1080, WindowState::NORMAL)},
        // Only a sliver left on the screen counts as off it; a hundred pixels each way is enough.
        {at(1900, 1060, 2500, 1500, WindowState::NORMAL),
         {left},
         at(660, 320, 1260, 760, WindowState::NORMAL)},
        {at(1820, 980, 2500, 1500, WindowState::NORMAL),
         {left},
         at(1820, 980, 2500, 1500, WindowState::NORMAL)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(onto_screens(row.stored, row.screens, left), row.expected)
            << format_window_placement(row.stored);
}

} // namespace
} // namespace kestovan
