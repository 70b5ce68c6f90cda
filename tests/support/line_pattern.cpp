#include "support/line_pattern.h"

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace kestovan::test {

struct LinePattern::Compiled {
    std::regex regex;
};

LinePattern::LinePattern(const std::string& pattern)
    : compiled_(std::make_unique<const Compiled>(Compiled{std::regex(pattern)}))
{}

LinePattern::~LinePattern() = default;
LinePattern::LinePattern(LinePattern&&) noexcept = default;
LinePattern& LinePattern::operator=(LinePattern&&) noexcept = default;

bool LinePattern::matches(const std::string& line) const
{
    return std::regex_match(line, compiled_->regex);
}

} // namespace kestovan::test
