// The command-line client's progress line: what it says, how often it is drawn, and that a shorter
// line leaves nothing of the longer one before it.
#include "cli/progress_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace kestovan {
namespace {

TEST(ProgressLine, Format)
{
    constexpr std::int64_t MIB = 1024 * 1024;
    struct Row {
        std::int64_t done;
        std::int64_t total;
        double rate;
        const char* line;
    };
    for (const Row& row : {
             Row{MIB + MIB / 2, 3 * MIB, 512 * 1024, "1.5 MiB of 3.0 MiB  50%  512.0 KiB/s  0:03 left"},
             Row{0, 3 * MIB, 0, "0 B of 3.0 MiB  0%"},                          // no rate yet, no time left
             Row{3 * MIB, 3 * MIB, MIB, "3.0 MiB of 3.0 MiB  100%  1.0 MiB/s"}, // done: no time left
             Row{700, 0, 100, "700 B  100 B/s"},                                // the server gave no size
             Row{0, 7200 * 1024, 1024, "0 B of 7.0 MiB  0%  1.0 KiB/s  2:00:00 left"},
             Row{5 * MIB, 4 * MIB, MIB, "5.0 MiB of 4.0 MiB  100%  1.0 MiB/s"}, // the file grew meanwhile
         })
        EXPECT_EQ(format_progress_line(row.done, row.total, row.rate), row.line) << row.line;
}

struct Output {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{std::tmpfile(), &std::fclose};
    std::string text()
    {
        std::fflush(file.get());
        std::string all;
        std::rewind(file.get());
        for (int c; (c = std::fgetc(file.get())) != EOF;)
            all.push_back(static_cast<char>(c));
        return all;
    }
};

TEST(ProgressLine, RedrawsInPlaceAtMostTenTimesASecond)
{
    Output out;
    ProgressLine line(out.file.get(), true);
    line.start(0, 1000);
    line.update(100 * 1024, 1024 * 1024, 1000);
    line.update(200 * 1024, 1024 * 1024, 1050); // too soon: not drawn
    line.update(300 * 1024, 1024 * 1024, 1100);
    line.update(1024 * 1024, 1024 * 1024, 1120, true); // the end is always drawn
    line.finish();
    const std::string text = out.text();
    EXPECT_EQ(text, "\r100.0 KiB of 1.0 MiB  9%"
                    "\r300.0 KiB of 1.0 MiB  29%  2.9 MiB/s  0:00 left"
                    "\r1.0 MiB of 1.0 MiB  100%  8.3 MiB/s            \n");
}

TEST(ProgressLine, ResumedTransferCountsTheRateFromItsStart)
{
    Output out;
    ProgressLine line(out.file.get(), true);
    line.start(1000 * 1024, 0); // a resumed download already has 1000 KiB
    line.update(1010 * 1024, 2000 * 1024, 1000, true);
    EXPECT_NE(out.text().find("  10.0 KiB/s  1:39 left"), std::string::npos) << out.text();
}

TEST(ProgressLine, DisabledDrawsNothing)
{
    Output out;
    ProgressLine line(out.file.get(), false);
    line.update(10, 100, 0, true);
    line.finish();
    EXPECT_EQ(out.text(), "");
    EXPECT_FALSE(progress_wanted(out.file.get(), false)) << "a file is no terminal";
}

} // namespace
} // namespace kestovan
