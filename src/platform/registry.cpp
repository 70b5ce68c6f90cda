#include "platform/registry.h"

#include <QSettings>
#include <QString>

#include <cstdlib>
#include <system_error>

namespace kestovan {

namespace {

// QSettings separates groups with "/"; registry paths use "\". Value names go in as one key part.
QString settings_key(const std::string& key, const std::string& name)
{
    QString path = QString::fromUtf8(key);
    path.replace('\\', '/');
    QString value = QString::fromUtf8(name);
    value.replace('/', QStringLiteral("%2F"));
    value.replace('\\', QStringLiteral("%5C"));
    return path + '/' + (value.isEmpty() ? QStringLiteral("@") : value);
}

} // namespace

Registry::Registry() : Registry(default_folder()) {}

Registry::Registry(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::filesystem::path Registry::default_folder()
{
    if (const char* dir = std::getenv("KESTOVAN_REGISTRY_DIR"); dir && *dir)
        return dir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return std::filesystem::path(xdg) / "KESTOVAN";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / ".config" / "KESTOVAN";
}

std::filesystem::path Registry::file_of(Hive hive) const
{
    return folder_ / (hive == Hive::LocalMachine ? "machine.ini" : "user.ini");
}

std::optional<std::string> Registry::read_string(Hive hive, const std::string& key,
                                                 const std::string& name) const
{
    QSettings store(QString::fromStdString(file_of(hive).string()), QSettings::IniFormat);
    QVariant v = store.value(settings_key(key, name));
    if (!v.isValid())
        return std::nullopt;
    return v.toString().toStdString();
}

std::optional<std::uint32_t> Registry::read_dword(Hive hive, const std::string& key,
                                                  const std::string& name) const
{
    auto text = read_string(hive, key, name);
    if (!text)
        return std::nullopt;
    bool ok = false;
    qulonglong value = QString::fromStdString(*text).toULongLong(&ok, 0);
    if (!ok || value > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

bool Registry::write_string(Hive hive, const std::string& key, const std::string& name,
                            const std::string& value)
{
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    QSettings store(QString::fromStdString(file_of(hive).string()), QSettings::IniFormat);
    store.setValue(settings_key(key, name), QString::fromUtf8(value));
    store.sync();
    return store.status() == QSettings::NoError;
}

bool Registry::write_dword(Hive hive, const std::string& key, const std::string& name, std::uint32_t value)
{
    return write_string(hive, key, name, std::to_string(value));
}

bool Registry::delete_value(Hive hive, const std::string& key, const std::string& name)
{
    QSettings store(QString::fromStdString(file_of(hive).string()), QSettings::IniFormat);
    store.remove(settings_key(key, name));
    store.sync();
    return store.status() == QSettings::NoError;
}

} // namespace kestovan
