// Feeds arbitrary bytes to the response parsing of the web client as a server would send them: the
// end of the headers, the head itself, header lookups and the redirection target, and checks what
// the client relies on: lengths within the input, no line break in a target it would request.
#include "web/http_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace kestovan;

void require(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view response(reinterpret_cast<const char*>(data), size);
    const auto end = find_header_end(response);
    require(!end || (*end <= size && *end >= 2));
    const std::string_view head = end ? response.substr(0, *end) : response;
    const ResponseHead parsed = parse_response_head(head);
    require(parsed.content_length >= 0);
    require(parsed.has_content_length || parsed.content_length == 0);
    require(!parsed.last_modified || parsed.last_modified->size() <= size);
    if (auto location = header_value(head, "Location"))
        require(location->size() <= size);
    for (const std::string_view current : {"http://h/dir/page.html", "https://h", "http://h/a?b=/c"}) {
        if (auto target = redirect_target(response, current)) {
            require(is_http_url(*target) || is_https_url(*target));
            require(is_safe_url(*target));
            require(target->size() <= MAX_REDIRECT_TARGET);
            require(!equals_nocase(*target, current));
            const std::string line = request_target(*target, false);
            require(line.find_first_of(" \r\n") == std::string::npos);
        }
    }
    if (auto percent = progress_percent(static_cast<std::int64_t>(size),
                                        end ? static_cast<std::int64_t>(*end) : 0, parsed.content_length))
        require(*percent >= 0 && *percent <= 100);
    return 0;
}
