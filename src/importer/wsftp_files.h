// The files a WS_FTP site list names in its "FILENAME=" lines, found on disk. The names are Windows
// paths: backslashes separate folders, a drive letter ("C:\...") leads into the Wine prefix's drive of
// that letter, and a relative name is taken from the folder of the file that names it. When none of
// these exists, the last part of the name is looked for beside the naming file (site lists copied
// from elsewhere keep their files together). Names are matched without regard to case, folder by
// folder, as on Windows.
#pragma once

#include "importer/wsftp_reader.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace kestovan {

// The paths to try for a name, in order.
[[nodiscard]] std::vector<std::filesystem::path>
ws_named_file_candidates(std::string_view name, const std::filesystem::path& naming_file,
                         const std::optional<std::filesystem::path>& prefix);

class DiskWsFileOpener : public WsFileOpener {
public:
    std::optional<WsFile> open_named(std::string_view name, const WsFile& from,
                                     const std::function<bool(const FileIdentity&)>& already_read) override;
};

} // namespace kestovan
