// The volumes the local pane offers in place of drive letters: the root folder, the home folder,
// and the removable and network mounts, as kind-2 rows.
#pragma once

#include "views/local_entry.h"

#include <string_view>

namespace kestovan {

// True for a mount worth a row of its own, as file managers offer them: media and user mounts
// (/media/<disk>, /media/<user>/<disk>, /run/media/<user>/<disk>, /mnt/<disk>) and network file
// systems; never the kernel's or a program's private mounts (tmpfs, proc, squashfs, ...) or mounts
// deeper below those places. The root and the home folder are always listed and need not pass.
[[nodiscard]] bool volume_worth_showing(std::string_view mount_point, std::string_view file_system_type);

// "/" first, then the home folder, then the other mounts worth showing in path order; each once.
[[nodiscard]] LocalChain list_volumes();

} // namespace kestovan
