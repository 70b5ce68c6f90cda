#include "shell/task_rows.h"

#include "ui/language.h"
#include "ui/string_ids.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace kestovan {

namespace {

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

std::string extension_of(std::string_view name)
{
    const std::string display = task_display_name(name);
    auto dot = display.rfind('.');
    return dot == std::string::npos ? std::string() : lower(display.substr(dot + 1));
}

} // namespace

std::string task_display_name(std::string_view name)
{
    auto cut = name.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? name : name.substr(cut + 1));
}

std::string format_task_rate(float rate)
{
    if (rate == -1.0f)
        return {};
    char text[64];
    const double r = rate;
    if (r * 0.000001 > 1)
        std::snprintf(text, sizeof text, "%.0f %s", r * 0.000001, load_string(IDS_RATE_MBPS).c_str());
    else if (r * 0.001 > 1)
        std::snprintf(text, sizeof text, "%.0f %s", r * 0.001, load_string(IDS_RATE_KBPS).c_str());
    else
        std::snprintf(text, sizeof text, "%.0f %s", r, load_string(IDS_RATE_BPS).c_str());
    return text;
}

float bytes_per_second_from_bits(double bits_per_second)
{
    return static_cast<float>(bits_per_second / 8.0);
}

std::string percent_text(std::int64_t done, std::int64_t size)
{
    const std::int64_t base = size == 0 ? 1 : size;
    return std::to_string(done * 100 / base) + "%";
}

Task& TaskRows::add_row(Session* session, SiteProfile* profile, std::uint8_t kind, std::string name,
                        std::int64_t size)
{
    auto row = std::make_unique<Task>();
    row->row_id = ++last_row_id_;
    row->session = session;
    row->session_profile = profile;
    row->kind = kind;
    row->name = std::move(name);
    row->size = size;
    row->state = TASK_RUNNING;
    row->bytes_text = "0";
    row->percent_text = "0%";
    row->rate = kind == ROW_WEB_FETCH ? -1.0f : 0.0f;
    if (profile && profile->server)
        row->server = *profile->server;
    rows_.push_back(std::move(row));
    if (observer_)
        observer_->row_added(static_cast<int>(rows_.size()) - 1);
    return *rows_.back();
}

void TaskRows::update_row(Task& row, std::int64_t restart_offset, std::int64_t moved, std::int64_t total,
                          float rate)
{
    if (row.size == 0)
        row.size = total;
    const std::int64_t done = restart_offset + moved;
    row.bytes_text = std::to_string(done);
    row.percent_text = percent_text(done, row.size);
    if (row.rate != -1.0f)
        row.rate = rate;
    changed(row);
}

void TaskRows::finish_row(Task& row, bool ok)
{
    row.state = ok ? TASK_DONE : TASK_FAILED;
    if (ok)
        row.percent_text = "100%";
    changed(row);
}

void TaskRows::finish_row(std::uint64_t row_id, bool ok)
{
    if (Task* row = find(row_id))
        finish_row(*row, ok);
}

Task* TaskRows::find(std::uint64_t row_id) const
{
    if (row_id == 0)
        return nullptr;
    for (const auto& row : rows_)
        if (row->row_id == row_id)
            return row.get();
    return nullptr;
}

void TaskRows::remove_row(const Task& row)
{
    std::erase_if(rows_, [&](const auto& r) { return r.get() == &row; });
    if (observer_)
        observer_->rows_reset();
}

void TaskRows::forget_session(const Session* session)
{
    for (auto& row : rows_)
        if (row->session == session)
            row->session = nullptr;
}

void TaskRows::forget_profile(const SiteProfile* profile)
{
    for (auto& row : rows_)
        if (row->session_profile == profile)
            row->session_profile = nullptr;
}

void TaskRows::sort_by_column(int column)
{
    auto by_name = [](const std::unique_ptr<Task>& a, const std::unique_ptr<Task>& b) {
        return lower(task_display_name(a->name.value_or(""))) <
               lower(task_display_name(b->name.value_or("")));
    };
    switch (column) {
    case 0:
        std::stable_sort(rows_.begin(), rows_.end(), [&](const auto& a, const auto& b) {
            auto ea = extension_of(a->name.value_or(""));
            auto eb = extension_of(b->name.value_or(""));
            return ea != eb ? ea < eb : by_name(a, b);
        });
        break;
    case 1:
        std::stable_sort(rows_.begin(), rows_.end(), [&](const auto& a, const auto& b) {
            return a->kind != b->kind ? a->kind < b->kind : by_name(a, b);
        });
        break;
    case 2: std::stable_sort(rows_.begin(), rows_.end(), by_name); break;
    case 3:
        std::stable_sort(rows_.begin(), rows_.end(),
                         [](const auto& a, const auto& b) { return a->size < b->size; });
        break;
    default: return;
    }
    if (observer_)
        observer_->rows_reset();
}

int TaskRows::index_of(const Task& row) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].get() == &row)
            return static_cast<int>(i);
    return -1;
}

void TaskRows::changed(const Task& row)
{
    if (observer_)
        if (int index = index_of(row); index >= 0)
            observer_->row_changed(index);
}

} // namespace kestovan
