// The links of a web page: every <a href> in document order, found by a real HTML parser (gumbo),
// each cleaned and kept once. Turning them into web-link nodes is web_links.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

// One href as a node name: the scheme in lower case ("HTTP:" becomes "http:"), cut at the first
// "#", and cut at the first "?" unless it names a ".jsp" page (whose query selects the content).
// Leading and trailing blanks and the tabs and line breaks that HTML lets into an attribute are
// dropped; nullopt when nothing is left.
[[nodiscard]] std::optional<std::string> clean_link(std::string_view href);

// The cleaned links of the page in document order, each kept once (compared without regard to case).
[[nodiscard]] std::vector<std::string> harvest_links(std::string_view html);

} // namespace kestovan
