// Where Linux users have the three foreign FTP clients: in a Wine prefix. The detection functions look
// for their registry keys in the prefix's registry files (system.reg holds HKEY_LOCAL_MACHINE,
// user.reg HKEY_CURRENT_USER), read as text; nothing is ever written there.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace kestovan {

inline constexpr std::string_view MACHINE_REGISTRY_FILE = "system.reg";
inline constexpr std::string_view USER_REGISTRY_FILE = "user.reg";
// 64-bit prefixes keep the machine keys of 32-bit programs under this key of "Software".
inline constexpr std::string_view WOW64_NODE = "Wow6432Node";

// $WINEPREFIX when set and not empty, else $HOME/.wine; nothing when neither can be made.
[[nodiscard]] std::optional<std::filesystem::path> wine_prefix();

// Whether a registry file's text has, under key (components joined by single backslashes, compared
// without regard to case), the value value_name, or the key's default value ("@") when value_name is
// empty.
[[nodiscard]] bool registry_text_has_value(std::string_view text, std::string_view key,
                                           std::string_view value_name);

enum class RegistryHive {
    LocalMachine,
    CurrentUser,
};

// The same, looked up in the registry file of hive in the Wine prefix. For HKEY_LOCAL_MACHINE a key
// under "Software\" is also looked for under "Software\Wow6432Node\".
[[nodiscard]] bool wine_registry_has_value(RegistryHive hive, std::string_view key,
                                           std::string_view value_name);

} // namespace kestovan
