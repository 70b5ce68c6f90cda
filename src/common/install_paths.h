// Where the program finds its own files. An installed program keeps them under its prefix
// (<prefix>/bin/kestovan-ftp, <prefix>/share/kestovan-ftp, <prefix>/lib/libravelink.so), so they are
// found relative to the executable and the prefix may be anywhere; a program run from the build tree
// finds no such folder and falls back on the source tree's resources.
#pragma once

#include <filesystem>
#include <optional>

namespace kestovan {

// The folder of the running executable; nullopt when /proc/self/exe cannot be read.
[[nodiscard]] std::optional<std::filesystem::path> executable_folder();

// <executable folder>/../share/kestovan-ftp when it holds help.htm (an installed program).
[[nodiscard]] std::optional<std::filesystem::path> installed_data_folder(const std::filesystem::path& bin);

// <executable folder>/../<library folder of the install>.
[[nodiscard]] std::filesystem::path installed_library_folder(const std::filesystem::path& bin);

} // namespace kestovan
