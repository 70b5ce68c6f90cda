// A whole-line ECMAScript pattern. <regex> stays inside line_pattern.cpp: with sanitizers on,
// g++ 12 reports false "maybe uninitialized" warnings from inside it wherever it is compiled.
#pragma once

#include <memory>
#include <string>

namespace kestovan::test {

class LinePattern {
public:
    explicit LinePattern(const std::string& pattern); // throws std::regex_error for a bad pattern
    ~LinePattern();
    LinePattern(LinePattern&&) noexcept;
    LinePattern& operator=(LinePattern&&) noexcept;

    [[nodiscard]] bool matches(const std::string& line) const;

private:
    struct Compiled;
    std::unique_ptr<const Compiled> compiled_;
};

} // namespace kestovan::test
