// printf-style formatting of table texts that cannot misbehave. Formats come from the string table and
// from language files, so a translated format may not fit the arguments the code passes: here every
// placeholder is matched against the type of its argument, and a placeholder that does not fit (or has
// no argument) is left in the text as written instead of reading the wrong thing. The format_string
// helpers of ui/language.h build on this; format_matches() lets them check a table text at compile time.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace kestovan {

// The placeholders of a printf format in order, each exactly as written ("%s", "%2.2x"); "%%" and a
// "%" that starts no valid placeholder are plain text.
[[nodiscard]] std::vector<std::string> printf_placeholders(std::string_view format);

enum class FormatArgKind {
    Integer,
    Floating,
    Text,
    Pointer
};

// One argument, type-erased with what is needed to print it faithfully.
struct FormatArg {
    FormatArgKind kind = FormatArgKind::Integer;
    bool is_signed = true;
    std::size_t size = 0; // bytes of the integer type, so "%x" of a negative int prints 32 bits
    long long signed_value = 0;
    unsigned long long unsigned_value = 0;
    double floating = 0;
    std::string_view text;
    const void* pointer = nullptr;
};

namespace detail {

template <typename T>
constexpr std::optional<FormatArgKind> format_kind_of()
{
    using U = std::remove_cvref_t<T>;
    if constexpr (std::is_enum_v<U> || std::is_integral_v<U>)
        return FormatArgKind::Integer;
    else if constexpr (std::is_floating_point_v<U>)
        return FormatArgKind::Floating;
    else if constexpr (std::is_convertible_v<const U&, std::string_view>)
        return FormatArgKind::Text;
    else if constexpr (std::is_pointer_v<std::decay_t<U>>)
        return FormatArgKind::Pointer;
    else
        return std::nullopt;
}

enum class PlaceholderClass {
    Integer,
    Floating,
    Text,
    Pointer,
    Refused
};

struct Placeholder {
    std::size_t begin = 0;     // position of the "%"
    std::size_t end = 0;       // one past the conversion letter
    std::size_t flags_end = 0; // flags, width and precision run from begin + 1 to here
    char conversion = 0;
    bool star = false; // "*" width or precision: never honoured
    // Width or precision beyond MAX_FIELD_WIDTH: a text from a language file could otherwise make
    // one placeholder allocate gigabytes.
    bool oversized = false;
};

inline constexpr std::size_t MAX_FIELD_WIDTH = 1024;

constexpr bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// The next placeholder at or after pos, or nullopt when there is none.
constexpr std::optional<Placeholder> next_placeholder(std::string_view format, std::size_t pos)
{
    constexpr std::string_view FLAGS = "-+ #0'";
    constexpr std::string_view CONVERSIONS = "diouxXcsfFeEgGaApn";
    while (pos < format.size()) {
        const std::size_t percent = format.find('%', pos);
        if (percent == std::string_view::npos)
            return std::nullopt;
        Placeholder p;
        p.begin = percent;
        std::size_t i = percent + 1;
        if (i < format.size() && format[i] == '%') {
            pos = i + 1;
            continue;
        }
        while (i < format.size() && FLAGS.find(format[i]) != std::string_view::npos)
            ++i;
        auto width = [&] {
            if (i < format.size() && format[i] == '*') {
                p.star = true;
                ++i;
            }
            std::size_t value = 0;
            while (i < format.size() && is_digit(format[i])) {
                if (value <= MAX_FIELD_WIDTH)
                    value = value * 10 + static_cast<std::size_t>(format[i] - '0');
                ++i;
            }
            if (value > MAX_FIELD_WIDTH)
                p.oversized = true;
        };
        width();
        if (i < format.size() && format[i] == '.') {
            ++i;
            width();
        }
        p.flags_end = i;
        for (std::string_view length : {"hh", "ll", "h", "l", "L", "q", "j", "z", "t"}) {
            if (format.substr(i).starts_with(length)) {
                i += length.size();
                break;
            }
        }
        if (i < format.size() && CONVERSIONS.find(format[i]) != std::string_view::npos) {
            p.conversion = format[i];
            p.end = i + 1;
            return p;
        }
        pos = percent + 1; // not a placeholder: the "%" is plain text
    }
    return std::nullopt;
}

constexpr PlaceholderClass placeholder_class(const Placeholder& p)
{
    if (p.star || p.oversized)
        return PlaceholderClass::Refused;
    switch (p.conversion) {
    case 's': return PlaceholderClass::Text;
    case 'p': return PlaceholderClass::Pointer;
    case 'n': return PlaceholderClass::Refused;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A': return PlaceholderClass::Floating;
    default: return PlaceholderClass::Integer;
    }
}

constexpr bool kind_fits(PlaceholderClass wanted, FormatArgKind given)
{
    switch (wanted) {
    case PlaceholderClass::Integer: return given == FormatArgKind::Integer;
    case PlaceholderClass::Floating: return given == FormatArgKind::Floating;
    case PlaceholderClass::Text: return given == FormatArgKind::Text;
    case PlaceholderClass::Pointer: return given == FormatArgKind::Pointer;
    case PlaceholderClass::Refused: return false;
    }
    return false;
}

} // namespace detail

// True when format has exactly one placeholder per argument and each argument's type fits its
// placeholder; meant for static_assert on texts known at compile time.
template <typename... Args>
constexpr bool format_matches(std::string_view format)
{
    constexpr std::array<std::optional<FormatArgKind>, sizeof...(Args)> kinds{
        detail::format_kind_of<Args>()...};
    std::size_t index = 0;
    std::size_t pos = 0;
    while (auto p = detail::next_placeholder(format, pos)) {
        if (index >= kinds.size() || !kinds[index] ||
            !detail::kind_fits(detail::placeholder_class(*p), *kinds[index]))
            return false;
        ++index;
        pos = p->end;
    }
    return index == kinds.size();
}

template <typename T>
FormatArg make_format_arg(const T& value)
{
    using U = std::remove_cvref_t<T>;
    static_assert(detail::format_kind_of<U>().has_value(),
                  "this type cannot be passed to a printf-style format");
    if constexpr (std::is_enum_v<U>)
        return make_format_arg(static_cast<std::underlying_type_t<U>>(value));
    FormatArg arg;
    if constexpr (std::is_integral_v<U>) {
        arg.kind = FormatArgKind::Integer;
        arg.is_signed = std::is_signed_v<U>;
        arg.size = sizeof(U);
        arg.signed_value = static_cast<long long>(value);
        arg.unsigned_value = static_cast<unsigned long long>(value);
    } else if constexpr (std::is_floating_point_v<U>) {
        arg.kind = FormatArgKind::Floating;
        arg.floating = static_cast<double>(value);
    } else if constexpr (std::is_convertible_v<const U&, std::string_view>) {
        arg.kind = FormatArgKind::Text;
        if constexpr (std::is_pointer_v<U>)
            arg.text = value ? std::string_view(value) : std::string_view("(null)");
        else
            arg.text = std::string_view(value);
    } else if constexpr (!std::is_enum_v<U>) {
        arg.kind = FormatArgKind::Pointer;
        arg.pointer = static_cast<const void*>(value);
    }
    return arg;
}

// Formats with printf rules; see the top of this file for what happens to placeholders that do not
// fit. Extra arguments are ignored.
[[nodiscard]] std::string format_args(std::string_view format, std::span<const FormatArg> args);

template <typename... Args>
[[nodiscard]] std::string format_text(std::string_view format, const Args&... args)
{
    if constexpr (sizeof...(Args) == 0) {
        return format_args(format, {});
    } else {
        const std::array<FormatArg, sizeof...(Args)> list{make_format_arg(args)...};
        return format_args(format, list);
    }
}

} // namespace kestovan
