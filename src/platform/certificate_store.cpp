#include "platform/certificate_store.h"

#include "platform/registry.h"

#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kestovan {

namespace {

std::string entry_key(std::string_view host, int port)
{
    std::string key;
    for (char c : host)
        key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return key + ":" + std::to_string(port);
}

std::string read_text(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Replaces the file through a temporary one in the same folder, readable by the owner only.
bool write_private(const std::filesystem::path& file, const std::string& text)
{
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    std::string temp = file.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0600) == 0;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok && std::rename(temp.c_str(), file.c_str()) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
}

} // namespace

std::filesystem::path CertificateStore::default_file()
{
    return Registry::default_folder() / "trusted-certificates";
}

std::optional<std::string> CertificateStore::pinned(std::string_view host, int port) const
{
    const std::string key = entry_key(host, port);
    std::istringstream lines(read_text(file_));
    for (std::string line; std::getline(lines, line);) {
        const auto blank = line.find(' ');
        if (blank != std::string::npos && line.compare(0, blank, key) == 0 && blank == key.size())
            return line.substr(blank + 1);
    }
    return std::nullopt;
}

bool CertificateStore::pin(std::string_view host, int port, std::string_view sha256)
{
    const std::string key = entry_key(host, port);
    std::string kept;
    std::istringstream lines(read_text(file_));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.compare(0, key.size() + 1, key + " ") == 0)
            continue;
        kept += line + "\n";
    }
    kept += key + " " + std::string(sha256) + "\n";
    return write_private(file_, kept);
}

} // namespace kestovan
