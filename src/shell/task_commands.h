// The commands of the Tasks pane's context menu: Delete stops the row's own transfer or web fetch
// and removes the row; Disconnect ends the sessions of the selected rows (a web fetch is cancelled
// instead). Rows are named by their numbers, so a row that went meanwhile is simply skipped.
#pragma once

#include <cstdint>
#include <vector>

namespace kestovan {

struct ShellContext;
struct Task;
class WebBrowsing;

class TaskCommands {
public:
    TaskCommands(ShellContext& ctx, WebBrowsing& web) : ctx_(ctx), web_(web) {}

    void delete_rows(const std::vector<std::uint64_t>& row_ids);
    void disconnect_rows(const std::vector<std::uint64_t>& row_ids);
    [[nodiscard]] bool can_disconnect(const Task& row) const;

private:
    void stop_row_transfer(const Task& row);

    ShellContext& ctx_;
    WebBrowsing& web_;
};

} // namespace kestovan
