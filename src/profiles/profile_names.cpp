#include "profiles/profile_names.h"

#include "views/dir_entry.h"

namespace kestovan {

namespace {

bool equals_ignoring_case(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string_view extension_of(std::string_view file_name)
{
    const std::size_t dot = file_name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : file_name.substr(dot);
}

} // namespace

StrippedName strip_bad_name_chars(std::string_view name)
{
    StrippedName out;
    out.name.reserve(name.size());
    for (const char c : name) {
        if (BAD_NAME_CHARS.find(c) == std::string_view::npos)
            out.name.push_back(c);
        else
            out.removed = true;
    }
    return out;
}

std::optional<std::string> usable_entry_name(std::string_view name)
{
    std::string stripped = strip_bad_name_chars(name).name;
    if (stripped.empty() || stripped == "." || stripped == "..")
        return std::nullopt;
    return stripped;
}

bool is_safe_path_component(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

std::uint8_t profile_kind_of_file_name(std::string_view file_name)
{
    const std::string_view extension = extension_of(file_name);
    if (equals_ignoring_case(extension, FTP_EXTENSION))
        return KIND_SITE;
    if (equals_ignoring_case(extension, URL_EXTENSION))
        return KIND_URL_PROFILE;
    return 0;
}

std::string display_name_of(std::string_view file_name)
{
    if (profile_kind_of_file_name(file_name) != 0)
        file_name.remove_suffix(extension_of(file_name).size());
    return std::string(file_name);
}

std::string_view profile_extension(std::uint8_t kind)
{
    if (kind == KIND_URL_PROFILE)
        return URL_EXTENSION;
    if (kind == KIND_PROFILE_FOLDER)
        return {};
    return FTP_EXTENSION;
}

} // namespace kestovan
