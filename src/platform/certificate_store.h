// The certificates the user chose to trust always ("Always trust"), one SHA-256 fingerprint per host
// and port, in a file of their own beside the registry stand-in (mode 0600), never in a profile:
// "host:port AB:CD:..." lines. The file is read on each look-up, so every window and session sees
// a choice at once.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

class CertificateStore {
public:
    explicit CertificateStore(std::filesystem::path file) : file_(std::move(file)) {}
    // "trusted-certificates" in the registry stand-in's folder.
    [[nodiscard]] static std::filesystem::path default_file();

    [[nodiscard]] std::optional<std::string> pinned(std::string_view host, int port) const;
    // Keeps sha256 for host and port, replacing what was kept for them; false when the file could
    // not be written (what it held stays).
    bool pin(std::string_view host, int port, std::string_view sha256);
    [[nodiscard]] const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
};

} // namespace kestovan
