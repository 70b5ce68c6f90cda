// The registry stand-in: key paths and value names as the system was designed with
// ("Software\KESTOVAN\Kestovan FTP", "Software\KESTOVAN\Common"), kept in two INI files - one for
// HKEY_LOCAL_MACHINE, one for HKEY_CURRENT_USER - in $KESTOVAN_REGISTRY_DIR when set, else
// $XDG_CONFIG_HOME/KESTOVAN (default ~/.config/KESTOVAN). Every write is flushed at once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace kestovan {

enum class Hive {
    LocalMachine,
    CurrentUser
};

class Registry {
public:
    Registry(); // the default folder
    explicit Registry(std::filesystem::path folder);

    [[nodiscard]] std::optional<std::string> read_string(Hive hive, const std::string& key,
                                                         const std::string& name) const;
    [[nodiscard]] std::optional<std::uint32_t> read_dword(Hive hive, const std::string& key,
                                                          const std::string& name) const;
    bool write_string(Hive hive, const std::string& key, const std::string& name, const std::string& value);
    bool write_dword(Hive hive, const std::string& key, const std::string& name, std::uint32_t value);
    bool delete_value(Hive hive, const std::string& key, const std::string& name);

    [[nodiscard]] const std::filesystem::path& folder() const { return folder_; }
    [[nodiscard]] static std::filesystem::path default_folder();

private:
    [[nodiscard]] std::filesystem::path file_of(Hive hive) const;
    std::filesystem::path folder_;
};

} // namespace kestovan
