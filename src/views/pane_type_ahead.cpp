#include "views/pane_type_ahead.h"

#include <QString>

namespace kestovan {

std::optional<int> type_ahead_row(const std::vector<std::string>& names, int current,
                                  const std::string& typed)
{
    if (typed.empty() || names.empty())
        return std::nullopt;
    const QString prefix = QString::fromUtf8(typed);
    const int count = static_cast<int>(names.size());
    for (int step = 1; step <= count; ++step) {
        const int row = ((current < 0 ? -1 : current) + step + count) % count;
        if (QString::fromUtf8(names[static_cast<std::size_t>(row)]).startsWith(prefix, Qt::CaseInsensitive))
            return row;
    }
    return std::nullopt;
}

} // namespace kestovan
