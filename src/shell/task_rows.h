// The rows of the Tasks pane: one per transfer (download, upload, web fetch) with its progress, and
// the texts the pane shows.
#pragma once

#include "queue/task.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

struct Session;

// The kinds of Tasks-pane rows.
inline constexpr std::uint8_t ROW_WEB_FETCH = 4;
inline constexpr std::uint8_t ROW_DOWNLOAD = 7;
inline constexpr std::uint8_t ROW_UPLOAD = 8;

class TaskRowsObserver {
public:
    virtual ~TaskRowsObserver() = default;
    virtual void rows_reset() = 0;
    virtual void row_added(int index) = 0;
    virtual void row_changed(int index) = 0;
};

class TaskRows {
public:
    void set_observer(TaskRowsObserver* observer) { observer_ = observer; }

    Task& add_row(Session* session, SiteProfile* profile, std::uint8_t kind, std::string name,
                  std::int64_t size);
    // Progress: bytes moved so far on top of the restart offset; a row of size 0 takes `total`.
    void update_row(Task& row, std::int64_t restart_offset, std::int64_t moved, std::int64_t total,
                    float rate);
    void finish_row(Task& row, bool ok);
    // By row number: nothing happens when the row has been deleted meanwhile.
    void finish_row(std::uint64_t row_id, bool ok);
    void remove_row(const Task& row);
    [[nodiscard]] Task* find(std::uint64_t row_id) const;
    // Rows whose session is this one lose the link (the session is being freed).
    void forget_session(const Session* session);
    // Rows that show this profile lose the link (a batch task's profile copy is being freed).
    void forget_profile(const SiteProfile* profile);
    // Sorts by a column: 0 by file type then name, 1 by kind then name, 2 by name without regard to
    // case, 3 by size; other columns keep the order.
    void sort_by_column(int column);

    [[nodiscard]] const TaskList& rows() const { return rows_; }
    [[nodiscard]] int index_of(const Task& row) const;

private:
    void changed(const Task& row);
    TaskList rows_;
    TaskRowsObserver* observer_ = nullptr;
    std::uint64_t last_row_id_ = 0;
};

// The "Task" column: the part of the name after the last "/" or "\".
[[nodiscard]] std::string task_display_name(std::string_view name);
// The "KBps" column, from bytes per second: empty for -1; above a million "%.0f" MBps, above a
// thousand "%.0f" KBps, else Bps. The labels are bytes, so rates kept in bits are divided first.
[[nodiscard]] std::string format_task_rate(float bytes_per_second);
// The engine's rates are bits per second (a record's in kilobits): what the labels show.
[[nodiscard]] float bytes_per_second_from_bits(double bits_per_second);
// "%" text of the progress: whole percent, size 0 counting as 1.
[[nodiscard]] std::string percent_text(std::int64_t done, std::int64_t size);

} // namespace kestovan
