// The Settings, Options and Firewall/Proxy pages of the Preferences dialog. Each page shows its part
// of PreferenceValues and reads it back; nothing is stored here.
#pragma once

#include "settings/preferences.h"

#include <QWidget>

#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace kestovan {

// Resource 138.
class SettingsPage : public QWidget {
public:
    SettingsPage(const std::vector<std::string>& browsers, QWidget* parent = nullptr);
    void show_values(const PreferenceValues& values);
    void read_values(PreferenceValues& values) const;

private:
    QComboBox* browser_ = nullptr;
    QLineEdit* email_ = nullptr;
    QSpinBox* hammer_delay_ = nullptr;
    QSpinBox* hammer_count_ = nullptr;
    QSpinBox* server_timeout_ = nullptr;
};

// Resource 4321.
class OptionsPage : public QWidget {
public:
    explicit OptionsPage(QWidget* parent = nullptr);
    void show_values(const PreferenceValues& values);
    void read_values(PreferenceValues& values) const;

private:
    QCheckBox* new_window_ = nullptr;
    QCheckBox* auto_refresh_ = nullptr;
    QCheckBox* sort_ = nullptr;
};

// "Firewall/Proxy": the proxy type, the FTP proxy's host and port (`fhost`, `fport`), the user name
// and password, and the HTTP proxy of the web client.
class ProxyPage : public QWidget {
public:
    explicit ProxyPage(QWidget* parent = nullptr);
    void show_values(const PreferenceValues& values);
    void read_values(PreferenceValues& values) const;

private:
    void type_changed();
    QButtonGroup* type_ = nullptr;
    QLineEdit* host_ = nullptr;
    QSpinBox* port_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLineEdit* http_server_ = nullptr;
    QSpinBox* http_port_ = nullptr;
};

} // namespace kestovan
