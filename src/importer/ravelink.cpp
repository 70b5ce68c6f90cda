// The six exported functions. Each import reads its whole source first and appends only when the
// source yields entries, so a failed import leaves the target as it was (it is not even created);
// nothing escapes as an exception.
#include "importer/ravelink.h"

#include "importer/cute_reader.h"
#include "importer/ftpv_reader.h"
#include "importer/import_codes.h"
#include "importer/source_file.h"
#include "importer/wine_registry.h"
#include "importer/wsftp_files.h"

#include <new>

namespace kestovan {

namespace {

constexpr std::string_view FTPV_APP_KEY =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\FTPVoyager.exe";
constexpr std::string_view FTPV_APP_VALUE = "Path";
constexpr std::string_view CUTE_KEY = "Software\\GlobalSCAPE\\CuteFTP 4.0";
constexpr std::string_view WSFTP_KEY = "Software\\ipswitch\\ws_ftp";
constexpr std::string_view DEFAULT_VALUE = "";

bool missing(const char* path)
{
    return path == nullptr || *path == '\0';
}

template <typename Import>
int guarded(Import&& import) noexcept
{
    try {
        return import();
    } catch (const std::bad_alloc&) {
        return IMPORT_NO_MEMORY;
    } catch (...) {
        return IMPORT_READ_FAILED;
    }
}

int detected(RegistryHive hive, std::string_view key, std::string_view value) noexcept
{
    try {
        return wine_registry_has_value(hive, key, value) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

// FTP Voyager and CuteFTP: binary sources, -101 for either file that cannot be opened.
int import_binary(const char* source, const char* target,
                  std::optional<std::string> (*tree_text)(std::string_view bytes))
{
    if (missing(source) || missing(target))
        return IMPORT_MISSING_ARGUMENT;
    const SourceFile file = read_source_file(source, SITE_LIST_LIMIT);
    if (file.status == ReadStatus::OpenFailed)
        return IMPORT_OPEN_FAILED;
    if (file.status == ReadStatus::ReadFailed)
        return IMPORT_READ_FAILED;
    const auto text = tree_text(file.bytes);
    if (!text)
        return IMPORT_UNRECOGNISED;
    return append_to_target(target, *text) == AppendStatus::Ok ? IMPORT_OK : IMPORT_OPEN_FAILED;
}

std::optional<std::string> ftpv_tree_text(std::string_view bytes)
{
    return format_ftpv_tree(read_ftpv_records(bytes));
}

std::optional<std::string> cute_tree_text(std::string_view bytes)
{
    return format_cute_tree(read_cute_records(bytes));
}

int import_ws(const char* source, const char* target)
{
    if (missing(source) || missing(target))
        return IMPORT_MISSING_ARGUMENT;
    SourceFile file = read_source_file(source, SITE_LIST_LIMIT);
    // A source that cannot be opened yields no entries.
    if (file.status == ReadStatus::OpenFailed)
        return IMPORT_UNRECOGNISED;
    if (file.status == ReadStatus::ReadFailed)
        return IMPORT_READ_FAILED;
    DiskWsFileOpener opener;
    const auto text = format_ws_tree(WsFile{source, std::move(file.bytes), file.identity}, opener);
    if (!text)
        return IMPORT_UNRECOGNISED;
    return append_to_target(target, *text) == AppendStatus::Ok ? IMPORT_OK : IMPORT_READ_FAILED;
}

} // namespace

} // namespace kestovan

using namespace kestovan;

extern "C" int importFTPV(const char* target, const char* source)
{
    return guarded([&] { return import_binary(source, target, ftpv_tree_text); });
}

extern "C" int importCuteFTP(const char* source, const char* target)
{
    return guarded([&] { return import_binary(source, target, cute_tree_text); });
}

extern "C" int importWSFTP(const char* source, const char* target)
{
    return guarded([&] { return import_ws(source, target); });
}

extern "C" int isFTPVInstalled(void)
{
    return detected(RegistryHive::LocalMachine, FTPV_APP_KEY, FTPV_APP_VALUE);
}

extern "C" int isCuteInstalled(void)
{
    return detected(RegistryHive::CurrentUser, CUTE_KEY, DEFAULT_VALUE);
}

extern "C" int isWSFTPInstalled(void)
{
    return detected(RegistryHive::LocalMachine, WSFTP_KEY, DEFAULT_VALUE);
}
