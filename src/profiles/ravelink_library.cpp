#include "profiles/ravelink_library.h"

#include "common/install_paths.h"

#include <dlfcn.h>

namespace kestovan {

namespace {

template <typename Function>
Function symbol(void* handle, const char* name)
{
    return reinterpret_cast<Function>(::dlsym(handle, name));
}

} // namespace

std::vector<std::filesystem::path> default_ravelink_paths()
{
    std::vector<std::filesystem::path> paths;
    if (const auto folder = executable_folder()) {
        paths.push_back(*folder / RAVELINK_FILE_NAME);
        paths.push_back(folder->parent_path() / "importer" / RAVELINK_FILE_NAME);
        paths.push_back(installed_library_folder(*folder) / RAVELINK_FILE_NAME);
    }
    // A bare name (no "/") makes the dynamic loader search its path.
    paths.emplace_back(RAVELINK_FILE_NAME);
    return paths;
}

void RavelinkLibrary::Closer::operator()(void* handle) const
{
    ::dlclose(handle);
}

RavelinkLibrary::RavelinkLibrary(std::vector<std::filesystem::path> paths) : paths_(std::move(paths)) {}

bool RavelinkLibrary::load()
{
    if (tried_)
        return handle_ != nullptr;
    tried_ = true;
    for (const auto& path : paths_) {
        std::unique_ptr<void, Closer> handle(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
        if (!handle) {
            const char* why = ::dlerror();
            error_ += (error_.empty() ? "" : "; ") + std::string(why ? why : path.c_str());
            continue;
        }
        const auto ftpv = symbol<ravelink_import_function>(handle.get(), "importFTPV");
        const auto cute = symbol<ravelink_import_function>(handle.get(), "importCuteFTP");
        const auto ws = symbol<ravelink_import_function>(handle.get(), "importWSFTP");
        if (!ftpv || !cute || !ws) {
            error_ += (error_.empty() ? "" : "; ") + path.string() + ": not the importer library";
            continue;
        }
        import_ftpv_ = ftpv;
        import_cute_ftp_ = cute;
        import_ws_ftp_ = ws;
        ftpv_installed_ = symbol<ravelink_detect_function>(handle.get(), "isFTPVInstalled");
        cute_installed_ = symbol<ravelink_detect_function>(handle.get(), "isCuteInstalled");
        ws_ftp_installed_ = symbol<ravelink_detect_function>(handle.get(), "isWSFTPInstalled");
        handle_ = std::move(handle);
        loaded_path_ = path;
        error_.clear();
        return true;
    }
    return false;
}

int RavelinkLibrary::call(ravelink_import_function function, const std::string& first,
                          const std::string& second)
{
    return function ? function(first.c_str(), second.c_str()) : IMPORT_LIBRARY_MISSING;
}

bool RavelinkLibrary::call(ravelink_detect_function function)
{
    return function && function() == 1;
}

int RavelinkLibrary::import_ftpv(const std::string& target, const std::string& source)
{
    load();
    return call(import_ftpv_, target, source);
}

int RavelinkLibrary::import_cute_ftp(const std::string& source, const std::string& target)
{
    load();
    return call(import_cute_ftp_, source, target);
}

int RavelinkLibrary::import_ws_ftp(const std::string& source, const std::string& target)
{
    load();
    return call(import_ws_ftp_, source, target);
}

bool RavelinkLibrary::ftpv_installed()
{
    load();
    return call(ftpv_installed_);
}

bool RavelinkLibrary::cute_installed()
{
    load();
    return call(cute_installed_);
}

bool RavelinkLibrary::ws_ftp_installed()
{
    load();
    return call(ws_ftp_installed_);
}

} // namespace kestovan
