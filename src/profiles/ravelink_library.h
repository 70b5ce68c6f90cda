// The site-list importer library, loaded by name at run time: the program links it by name, never at
// build time, so that it starts without it and an import reports the missing library instead.
//
// Where the library is looked for, in order:
//   1. beside the executable (an installed program keeps its library with it);
//   2. in the "importer" folder beside the executable's folder (the build tree: src/cli and src/app
//      next to src/importer);
//   3. in the install's library folder (<prefix>/bin/../lib), which the loader may not search;
//   4. by name through the dynamic loader's search: LD_LIBRARY_PATH, then the system's library folders.
#pragma once

#include "importer/import_codes.h"
#include "importer/ravelink.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

inline constexpr std::string_view RAVELINK_FILE_NAME = "libravelink.so";

// The program's own code for an import that could not run because the library did not load.
inline constexpr int IMPORT_LIBRARY_MISSING = -1;

// The places above, for the running executable.
[[nodiscard]] std::vector<std::filesystem::path> default_ravelink_paths();

class RavelinkLibrary {
public:
    explicit RavelinkLibrary(std::vector<std::filesystem::path> paths = default_ravelink_paths());
    // The functions point into the loaded library: a copy or a moved-from object would outlive it.
    RavelinkLibrary(const RavelinkLibrary&) = delete;
    RavelinkLibrary& operator=(const RavelinkLibrary&) = delete;

    // Loads the first of the paths that gives a library with the three import functions, on the
    // first call; later calls report the same result. False when none does (see error()).
    bool load();
    [[nodiscard]] const std::string& error() const { return error_; }
    [[nodiscard]] const std::filesystem::path& loaded_path() const { return loaded_path_; }

    // The library's functions, loading it first; IMPORT_LIBRARY_MISSING when it does not load.
    int import_ftpv(const std::string& target, const std::string& source);
    int import_cute_ftp(const std::string& source, const std::string& target);
    int import_ws_ftp(const std::string& source, const std::string& target);

    // False also when the library or the function is missing.
    bool ftpv_installed();
    bool cute_installed();
    bool ws_ftp_installed();

private:
    struct Closer {
        void operator()(void* handle) const;
    };

    int call(ravelink_import_function function, const std::string& first, const std::string& second);
    bool call(ravelink_detect_function function);

    std::vector<std::filesystem::path> paths_;
    std::unique_ptr<void, Closer> handle_;
    bool tried_ = false;
    std::string error_;
    std::filesystem::path loaded_path_;
    ravelink_import_function import_ftpv_ = nullptr;
    ravelink_import_function import_cute_ftp_ = nullptr;
    ravelink_import_function import_ws_ftp_ = nullptr;
    ravelink_detect_function ftpv_installed_ = nullptr;
    ravelink_detect_function cute_installed_ = nullptr;
    ravelink_detect_function ws_ftp_installed_ = nullptr;
};

} // namespace kestovan
