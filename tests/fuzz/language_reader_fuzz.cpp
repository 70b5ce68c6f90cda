// Feeds arbitrary bytes to the language-file reader, as a plain text and packed in the container, and
// checks that every key it stored can be found again and that any translation it read formats safely
// with the arguments the program passes.
#include "common/container.h"
#include "ui/language_reader.h"
#include "ui/printf_format.h"

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

void check(std::string_view text)
{
    const LanguageText read = read_language_text(text, "Kestovan FTP");
    std::size_t visited = 0;
    read.translations.for_each([&](std::string_view key, std::string_view value) {
        ++visited;
        require(!key.empty());
        const auto found = read.translations.find(key);
        require(found && *found == value);
        // A translated format never reads past its arguments, whatever placeholders it holds.
        (void)format_text(value, "text", 42);
        (void)printf_placeholders(value);
    });
    require(visited == read.translations.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    check(text);
    const std::optional<std::string> unpacked = decode_container(encode_container(to_crlf_lines(text)));
    require(unpacked.has_value());
    check(*unpacked);
    return 0;
}
