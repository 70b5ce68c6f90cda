// Feeds arbitrary bytes to the CuteFTP site-file reader and checks the records and the tree text.
#include "importer/cute_reader.h"
#include "importer_fuzz_checks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kestovan;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto records = read_cute_records(bytes);
    for (const CuteRecord& record : records) {
        fuzz::require(
            record.name.size() <= CUTE_NAME_LIMIT && record.host.size() <= CUTE_HOST_LIMIT &&
            record.user.size() <= CUTE_USER_LIMIT && record.password.size() <= CUTE_PASSWORD_LIMIT &&
            record.remote.size() <= CUTE_REMOTE_LIMIT && record.comment.size() <= CUTE_COMMENT_LIMIT);
        fuzz::require(record.port >= 0 && record.port <= 255);
    }
    const std::size_t count = records.size();
    const auto text = format_cute_tree(std::move(records));
    fuzz::require(text.has_value() == (count > 0));
    fuzz::check_tree_text(text, "CuteFTP sites");
    if (text) {
        // Every record is written exactly once: the root's NAME line and one per record.
        std::size_t names = 0;
        for (std::size_t at = text->find("\nNAME="); at != std::string::npos;
             at = text->find("\nNAME=", at + 1))
            ++names;
        fuzz::require(names == count);
    }
    return 0;
}
