// Feeds arbitrary bytes to the config.ini reader (settings, records, rename block) and checks that
// what it read writes out as a text that reads back to the same text.
#include "profiles/state_text.h"
#include "queue/config_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace kestovan;

void require(bool ok)
{
    if (!ok)
        std::abort();
}

struct Written {
    std::string whole;
    std::string without_rename_block;
};

Written read_and_write(std::string_view text)
{
    Settings settings;
    ConfigState state(settings);
    parse_config(text, state);
    for (const TaskList* list : {&state.queue, &state.bookmarks}) {
        for (const auto& task : *list) {
            require(task->profile != nullptr);
            require(!task->source || task->source->size() <= CONFIG_LINE_LIMIT);
        }
    }
    Written written;
    written.whole = format_config(state, {0, 1, 0});
    state.rename_rules.clear();
    written.without_rename_block = format_config(state, {0, 1, 0});
    return written;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Written first = read_and_write(std::string_view(reinterpret_cast<const char*>(data), size));
    require(first.whole.find("\r\n") == std::string::npos); // no line ends with CR
    const Written second = read_and_write(first.whole);
    require(second.without_rename_block == first.without_rename_block);
    // A rename mask that the stored form cannot hold at all (only a CR, say) is written empty and reads
    // back as the missing-field text, so the rename block settles one round later.
    require(read_and_write(second.whole).whole == second.whole);
    return 0;
}
