#include "cli/netrc.h"

#include "common/text_file.h"

#include <cstdlib>
#include <sys/stat.h>
#include <vector>

namespace kestovan {

namespace {

// Blank-separated words; a double-quoted word may hold blanks, and "macdef" bodies (up to the first
// empty line) are skipped.
std::vector<std::string> netrc_words(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t pos = 0;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (pos < text.size()) {
        if (blank(text[pos])) {
            ++pos;
            continue;
        }
        std::string word;
        if (text[pos] == '"') {
            for (++pos; pos < text.size() && text[pos] != '"'; ++pos) {
                if (text[pos] == '\\' && pos + 1 < text.size())
                    ++pos;
                word += text[pos];
            }
            ++pos;
        } else {
            while (pos < text.size() && !blank(text[pos]))
                word += text[pos++];
        }
        if (word == "macdef") {
            const std::size_t end = text.find("\n\n", pos);
            pos = end == std::string_view::npos ? text.size() : end + 2;
            continue;
        }
        words.push_back(std::move(word));
    }
    return words;
}

} // namespace

std::optional<NetrcEntry> find_netrc_entry(std::string_view text, std::string_view host,
                                           std::string_view user)
{
    const std::vector<std::string> words = netrc_words(text);
    std::optional<NetrcEntry> fallback;
    for (std::size_t i = 0; i < words.size();) {
        const bool is_default = words[i] == "default";
        if (!is_default && (words[i] != "machine" || i + 1 >= words.size())) {
            ++i;
            continue;
        }
        const bool matches = is_default || words[i + 1] == host;
        i += is_default ? 1 : 2;
        NetrcEntry entry;
        for (; i + 1 < words.size() && words[i] != "machine" && words[i] != "default"; i += 2) {
            if (words[i] == "login")
                entry.login = words[i + 1];
            else if (words[i] == "password")
                entry.password = words[i + 1];
        }
        if (!matches || (!user.empty() && !entry.login.empty() && entry.login != user))
            continue;
        if (!is_default)
            return entry;
        if (!fallback)
            fallback = entry;
    }
    return fallback;
}

NetrcResult apply_netrc(FtpUrl& url, const std::filesystem::path& file)
{
    if (url.password)
        return NetrcResult::NO_ENTRY;
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        return NetrcResult::NO_ENTRY;
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return NetrcResult::UNSAFE;
    const std::optional<std::string> text = read_whole_file(file);
    if (!text)
        return NetrcResult::NO_ENTRY;
    const std::optional<NetrcEntry> entry = find_netrc_entry(*text, url.host, url.user);
    if (!entry || entry->password.empty())
        return NetrcResult::NO_ENTRY;
    if (url.user.empty())
        url.user = entry->login;
    url.password = entry->password;
    return NetrcResult::USED;
}

std::optional<std::filesystem::path> netrc_path()
{
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return std::nullopt;
    return std::filesystem::path(home) / ".netrc";
}

} // namespace kestovan
