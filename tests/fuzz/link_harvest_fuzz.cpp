// Feeds arbitrary bytes to link harvesting as a web page, and checks what the tree relies on: every
// link is non-empty, cleaned (no fragment, no line break), and kept once without regard to case.
#include "views/link_harvest.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace {

using namespace kestovan;

void require(bool ok)
{
    if (!ok)
        std::abort();
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    std::set<std::string> seen;
    for (const std::string& link : harvest_links(page)) {
        require(!link.empty());
        require(link.find('#') == std::string::npos);
        require(link.find_first_of("\r\n\t") == std::string::npos);
        require(link.find('?') == std::string::npos || lower(link).find(".jsp") != std::string::npos);
        require(seen.insert(lower(link)).second);
        require(clean_link(link) == link);
    }
    if (auto cleaned = clean_link(page))
        require(!cleaned->empty() && cleaned->size() <= size);
    return 0;
}
