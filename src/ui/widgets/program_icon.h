// The program's own icon for its windows: the desktop's icon theme when it has "kestovan-ftp" (an
// installed program), else the sizes the program carries in its data folder (the build tree).
#pragma once

#include <QIcon>

namespace kestovan {

inline constexpr const char* PROGRAM_ICON_NAME = "kestovan-ftp";
// The desktop file's name without ".desktop": window managers match windows to it.
inline constexpr const char* DESKTOP_FILE_NAME = "org.kestovan.KestovanFTP";

[[nodiscard]] QIcon program_icon();

} // namespace kestovan
