#include "ui/printf_format.h"

#include <cstdio>

namespace kestovan {

namespace {

// snprintf of one placeholder whose argument type is known to fit; piece is a complete format of
// exactly that one placeholder, so nothing but the given value is read.
template <typename T>
std::string print_one(const std::string& piece, T value)
{
    const int needed = std::snprintf(nullptr, 0, piece.c_str(), value);
    if (needed <= 0)
        return {};
    std::string out(static_cast<std::size_t>(needed) + 1, '\0');
    std::snprintf(out.data(), out.size(), piece.c_str(), value);
    out.resize(static_cast<std::size_t>(needed));
    return out;
}

unsigned long long as_unsigned(const FormatArg& arg)
{
    // A negative int printed with "%x" shows the bits of an int, as printf would, not of a long long.
    if (arg.is_signed && arg.size > 0 && arg.size < sizeof(unsigned long long))
        return arg.unsigned_value & ((1ULL << (arg.size * 8)) - 1);
    return arg.unsigned_value;
}

std::string print_placeholder(std::string_view format, const detail::Placeholder& p, const FormatArg& arg)
{
    // Flags, width and precision as written; the length modifier is ours, chosen for the value.
    std::string piece(format.substr(p.begin, p.flags_end - p.begin));
    switch (p.conversion) {
    case 'd':
    case 'i':
        piece += "ll";
        piece += p.conversion;
        return print_one(piece,
                         arg.is_signed ? arg.signed_value : static_cast<long long>(arg.unsigned_value));
    case 'o':
    case 'u':
    case 'x':
    case 'X':
        piece += "ll";
        piece += p.conversion;
        return print_one(piece, as_unsigned(arg));
    case 'c': piece += 'c'; return print_one(piece, static_cast<int>(arg.signed_value));
    case 's': piece += 's'; return print_one(piece, std::string(arg.text).c_str());
    case 'p': piece += 'p'; return print_one(piece, arg.pointer);
    default: piece += p.conversion; return print_one(piece, arg.floating);
    }
}

} // namespace

std::vector<std::string> printf_placeholders(std::string_view format)
{
    std::vector<std::string> result;
    std::size_t pos = 0;
    while (auto p = detail::next_placeholder(format, pos)) {
        result.emplace_back(format.substr(p->begin, p->end - p->begin));
        pos = p->end;
    }
    return result;
}

std::string format_args(std::string_view format, std::span<const FormatArg> args)
{
    std::string out;
    out.reserve(format.size() + 32);
    std::size_t index = 0;
    std::size_t pos = 0;
    auto append_literal = [&out](std::string_view text) {
        // Outside placeholders "%%" stands for one "%".
        for (std::size_t i = 0; i < text.size(); ++i) {
            out += text[i];
            if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%')
                ++i;
        }
    };
    while (auto p = detail::next_placeholder(format, pos)) {
        append_literal(format.substr(pos, p->begin - pos));
        const bool fits =
            index < args.size() && detail::kind_fits(detail::placeholder_class(*p), args[index].kind);
        if (fits)
            out += print_placeholder(format, *p, args[index]);
        else
            out += format.substr(p->begin, p->end - p->begin);
        ++index;
        pos = p->end;
    }
    append_literal(format.substr(pos));
    return out;
}

} // namespace kestovan
