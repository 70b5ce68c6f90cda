// Feeds arbitrary bytes to the FTP Voyager site-file reader and checks the tree text it writes.
#include "importer/ftpv_reader.h"
#include "importer_fuzz_checks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kestovan;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto records = read_ftpv_records(bytes);
    for (const FtpvRecord& record : records) {
        fuzz::require(record.name.size() <= FTPV_STRING_LIMIT && record.third.size() <= FTPV_STRING_LIMIT &&
                      record.fourth.size() <= FTPV_STRING_LIMIT);
        fuzz::require(!record.name.empty());
    }
    const auto text = format_ftpv_tree(records);
    fuzz::require(text.has_value() == !records.empty());
    fuzz::check_tree_text(text, "FTPVoyager Sites");
    return 0;
}
