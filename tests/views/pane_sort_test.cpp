// Orders of the two file lists and type-ahead: pinned rows, reversal by swapping, numeric sizes,
// case-blind names, and local and remote dates in time order.
#include "views/pane_sort.h"
#include "views/pane_type_ahead.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestovan {
namespace {

struct RemoteRows {
    std::vector<std::unique_ptr<DirEntry>> owned;
    std::vector<DirEntry*> rows;
    void add(std::uint8_t kind, std::string name, std::optional<std::string> size = {},
             std::optional<std::string> date = {})
    {
        auto e = std::make_unique<DirEntry>();
        e->kind = kind;
        e->name = std::move(name);
        e->size = std::move(size);
        e->date = std::move(date);
        rows.push_back(e.get());
        owned.push_back(std::move(e));
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const DirEntry* r : rows)
            out.push_back(r->name);
        return out;
    }
};

std::vector<std::string> names(const LocalChain& rows)
{
    std::vector<std::string> out;
    for (const LocalEntry& r : rows)
        out.push_back(r.name);
    return out;
}

LocalEntry local(std::uint8_t kind, std::string name, std::string size = "0", std::string date = "")
{
    LocalEntry e;
    e.kind = kind;
    e.name = name;
    e.path = "/x/" + name;
    e.size = std::move(size);
    e.date = std::move(date);
    return e;
}

using V = std::vector<std::string>;

TEST(PaneSort, RemoteColumnsKeepParentOnTopInBothDirections)
{
    RemoteRows r;
    r.add(KIND_FILE, "b.txt", "900");
    r.add(KIND_PARENT, "..");
    r.add(KIND_FOLDER, "Zed");
    r.add(KIND_FILE, "A.txt", "1000");
    r.add(KIND_LINK, "link", "12");

    SortOrder order; // first column until a title is clicked: higher kind first, then name
    sort_remote_rows(r.rows, order);
    EXPECT_EQ(r.names(), (V{"..", "link", "Zed", "A.txt", "b.txt"}));

    order.click(1);
    sort_remote_rows(r.rows, order);
    EXPECT_EQ(r.names(), (V{"..", "A.txt", "b.txt", "link", "Zed"})) << "names without regard to case";

    order.click(1);
    EXPECT_TRUE(order.reversed);
    sort_remote_rows(r.rows, order);
    EXPECT_EQ(r.names(), (V{"..", "Zed", "link", "b.txt", "A.txt"})) << "reversed, '..' still on top";

    order.click(2); // another title starts ascending again: larger sizes first, numerically
    EXPECT_FALSE(order.reversed);
    sort_remote_rows(r.rows, order);
    EXPECT_EQ(r.names().front(), "..");
    EXPECT_EQ(r.names()[1], "A.txt") << "1000 is larger than 900 although it sorts before it as text";
    EXPECT_EQ(r.names()[2], "b.txt");
}

using namespace std::chrono;

ListingTime at(int y, unsigned m, unsigned d, int h, int min)
{
    return ListingTime(sys_days(year(y) / month(m) / day(d))) + hours(h) + minutes(min);
}

const ListingTime NOW = at(2025, 3, 10, 12, 0);

TEST(ListingDate, ReadsUnixAndDosDatesAndInfersTheYear)
{
    struct Row {
        std::string_view text;
        std::optional<ListingTime> time;
    };
    const Row rows[] = {
        {"Jan 15 2003", at(2003, 1, 15, 0, 0)},
        {"jAN  15   2003", at(2003, 1, 15, 0, 0)},
        {"Mar 10 11:59", at(2025, 3, 10, 11, 59)},
        {"Mar 11 14:00", at(2025, 3, 11, 14, 0)}, // a server in a zone ahead of ours
        {"Mar 11 14:01", at(2024, 3, 11, 14, 1)}, // further ahead than any zone: last year
        {"Dec 24 18:00", at(2024, 12, 24, 18, 0)},
        {"Feb 29 10:00", at(2024, 2, 29, 10, 0)},
        {"01-15-04 10:30AM", at(2004, 1, 15, 10, 30)},
        {"12-31-99 12:05AM", at(1999, 12, 31, 0, 5)},
        {"01-15-2004 12:30PM", at(2004, 1, 15, 12, 30)},
        {"2004-01-15 22:30", at(2004, 1, 15, 22, 30)},
        {"Foo 15 2003", std::nullopt},
        {"Feb 30 2003", std::nullopt},
        {"Jan 15 24:00", std::nullopt},
        {"13-01-04 10:30AM", std::nullopt},
        {"01-15-04 13:30PM", std::nullopt},
        {"Jan 15", std::nullopt},
        {"", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(listing_date_time(row.text, NOW), row.time) << row.text;
}

TEST(PaneSort, RemoteDatesOrderByTimeThenKindThenName)
{
    RemoteRows r;
    r.add(KIND_FILE, "last-december", {}, "Dec 24 18:00");
    r.add(KIND_FILE, "today", {}, "Mar 10 11:59");
    r.add(KIND_FILE, "last-november", {}, "Nov 20 10:00");
    r.add(KIND_FILE, "B", {}, "Aug 5 2010");
    r.add(KIND_FILE, "dos-evening", {}, "01-15-04 10:30PM");
    r.add(KIND_FILE, "unreadable", {}, "yesterday");
    r.add(KIND_PARENT, "..");
    r.add(KIND_FOLDER, "x", {}, "Aug 5 2010");
    r.add(KIND_FILE, "dos-morning", {}, "01-15-04 10:30AM");
    r.add(KIND_FILE, "a", {}, "AUG 05 2010");
    r.add(KIND_FILE, "oldest", {}, "Jan 15 2003");
    r.add(KIND_FILE, "no-date");
    sort_remote_rows(r.rows, SortOrder{3, false}, NOW);
    const V ascending = {"..", "no-date", "unreadable", "oldest",        "dos-morning",   "dos-evening",
                         "x",  "a",       "B",          "last-november", "last-december", "today"};
    EXPECT_EQ(r.names(), ascending);
    sort_remote_rows(r.rows, SortOrder{3, true}, NOW);
    EXPECT_EQ(r.names(), (V{"..", "today", "last-december", "last-november", "B", "a", "x", "dos-evening",
                            "dos-morning", "oldest", "unreadable", "no-date"}));
}

TEST(PaneSort, LocalParentAndVolumeRowsStayOnTop)
{
    LocalChain rows = {local(LOCAL_FILE, "b.txt", "5"), local(LOCAL_VOLUME, "/media/usb"),
                       local(LOCAL_FOLDER, "docs"), local(LOCAL_PARENT, ".."),
                       local(LOCAL_FILE, "a.htm", "5")};
    sort_local_rows(rows, SortOrder{0, false});
    EXPECT_EQ(names(rows), (V{"..", "/media/usb", "docs", "a.htm", "b.txt"})) << "folders, then extension";
    sort_local_rows(rows, SortOrder{1, true});
    EXPECT_EQ(names(rows), (V{"..", "/media/usb", "b.txt", "a.htm", "docs"}));
}

TEST(PaneSort, LocalSizeAndDateOrders)
{
    LocalChain rows = {local(LOCAL_FOLDER, "f", "0", "12-31-2024 10:00:00"),
                       local(LOCAL_FILE, "zero", "0", "01-02-2025 09:00:00"),
                       local(LOCAL_FILE, "big", "3000000000", "06-01-2023 00:00:00")};
    sort_local_rows(rows, SortOrder{2, false});
    EXPECT_EQ(names(rows), (V{"big", "zero", "f"})) << "sizes past 32 bits; at equal size files first";
    sort_local_rows(rows, SortOrder{3, false});
    EXPECT_EQ(names(rows), (V{"big", "f", "zero"}))
        << "dates in time order across years, not as month-first text";
}

TEST(PaneTypeAhead, FindsNextRowWrappingOnce)
{
    const std::vector<std::string> rows = {"..", "beta", "alpha", "Bravo", "charlie"};
    EXPECT_EQ(type_ahead_row(rows, 1, "b"), 3) << "next after the current row, case-blind";
    EXPECT_EQ(type_ahead_row(rows, 3, "B"), 1) << "wraps to the top";
    EXPECT_EQ(type_ahead_row(rows, -1, "c"), 4);
    EXPECT_EQ(type_ahead_row(rows, 4, "c"), 4) << "the only match leaves the selection where it is";
    EXPECT_EQ(type_ahead_row(rows, 0, "x"), std::nullopt);
}

} // namespace
} // namespace kestovan
