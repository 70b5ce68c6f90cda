#include "settings/widgets/preference_pages.h"

#include "proxy/proxy_record.h"
#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <climits>

namespace kestovan {

namespace {

constexpr int MAX_PORT = 65535;

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string text_of(const QLineEdit& edit)
{
    return edit.text().trimmed().toStdString();
}

QLabel* label(int id, QWidget* parent)
{
    auto* label = new QLabel(parent);
    bind_string_id(*label, id);
    return label;
}

QSpinBox* number_box(const char* name, int maximum, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, maximum);
    box->setAccelerated(true);
    return box;
}

QLineEdit* line(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setProperty(NO_TRANSLATION_PROPERTY, true);
    return edit;
}

} // namespace

SettingsPage::SettingsPage(const std::vector<std::string>& browsers, QWidget* parent) : QWidget(parent)
{
    setObjectName("138");
    auto* form = new QFormLayout(this);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    // Each box under its label, full width: the labels are long, in German and French more so.
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    browser_ = new QComboBox(this);
    browser_->setObjectName("browser");
    browser_->setEditable(true);
    browser_->setProperty(NO_TRANSLATION_PROPERTY, true);
    for (const std::string& browser : browsers)
        browser_->addItem(q(browser));
    email_ = line("email", this);
    hammer_delay_ = number_box("hdelay", INT_MAX, this);
    hammer_count_ = number_box("hcount", INT_MAX, this);
    server_timeout_ = number_box("ftimeout", INT_MAX, this);
    form->addRow(label(IDS_LABEL_BROWSER, this), browser_);
    form->addRow(label(IDS_LABEL_ANONYMOUS_EMAIL, this), email_);
    form->addRow(label(IDS_LABEL_HAMMER_DELAY, this), hammer_delay_);
    form->addRow(label(IDS_LABEL_HAMMER_COUNT, this), hammer_count_);
    form->addRow(label(IDS_LABEL_SERVER_TIMEOUT, this), server_timeout_);
}

void SettingsPage::show_values(const PreferenceValues& values)
{
    browser_->setEditText(q(values.browser));
    email_->setText(q(values.email));
    hammer_delay_->setValue(values.hammer_delay);
    hammer_count_->setValue(values.hammer_count);
    server_timeout_->setValue(values.server_timeout);
}

void SettingsPage::read_values(PreferenceValues& values) const
{
    values.browser = browser_->currentText().trimmed().toStdString();
    values.email = text_of(*email_);
    values.hammer_delay = hammer_delay_->value();
    values.hammer_count = hammer_count_->value();
    values.server_timeout = server_timeout_->value();
}

OptionsPage::OptionsPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("4321");
    auto* column = new QVBoxLayout(this);
    auto check = [this, column](const char* name, int id) {
        auto* box = new QCheckBox(this);
        box->setObjectName(name);
        bind_string_id(*box, id);
        column->addWidget(box);
        return box;
    };
    new_window_ = check("newwin", IDS_CHECK_NEW_BROWSER_WINDOW);
    auto_refresh_ = check("refresh", IDS_CHECK_AUTO_REFRESH);
    sort_ = check("sort", IDS_CHECK_SORT_LISTINGS);
    column->addStretch(1);
}

void OptionsPage::show_values(const PreferenceValues& values)
{
    new_window_->setChecked(values.new_window);
    auto_refresh_->setChecked(values.auto_refresh);
    sort_->setChecked(values.sort);
}

void OptionsPage::read_values(PreferenceValues& values) const
{
    values.new_window = new_window_->isChecked();
    values.auto_refresh = auto_refresh_->isChecked();
    values.sort = sort_->isChecked();
}

ProxyPage::ProxyPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("firewall_proxy");
    auto* column = new QVBoxLayout(this);
    auto* types = new QGroupBox(this);
    bind_string_id(*types, IDS_GROUP_PROXY_TYPE);
    auto* type_row = new QHBoxLayout(types);
    type_ = new QButtonGroup(this);
    const std::pair<const char*, int> choices[] = {{"proxy_none", IDS_PROXY_NONE},
                                                   {"proxy_ftp", IDS_PROXY_FTP_SERVER},
                                                   {"proxy_socks4", IDS_PROXY_SOCKS4},
                                                   {"proxy_socks5", IDS_PROXY_SOCKS5}};
    int type = PROXY_NONE;
    for (const auto& [name, id] : choices) {
        auto* radio = new QRadioButton(types);
        radio->setObjectName(name);
        bind_string_id(*radio, id);
        type_->addButton(radio, type++);
        type_row->addWidget(radio);
    }
    column->addWidget(types);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    host_ = line("fhost", this);
    port_ = number_box("fport", MAX_PORT, this);
    user_ = line("proxy_user", this);
    password_ = line("proxy_password", this);
    password_->setEchoMode(QLineEdit::Password);
    form->addRow(label(IDS_LABEL_PROXY_HOST, this), host_);
    form->addRow(label(IDS_LABEL_PROXY_PORT, this), port_);
    form->addRow(label(IDS_LABEL_PROXY_USER, this), user_);
    form->addRow(label(IDS_LABEL_PROXY_PASSWORD, this), password_);
    column->addLayout(form);

    auto* http = new QGroupBox(this);
    bind_string_id(*http, IDS_GROUP_HTTP_PROXY);
    auto* http_form = new QFormLayout(http);
    http_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    http_server_ = line("http_proxy", http);
    http_port_ = number_box("http_port", MAX_PORT, http);
    http_form->addRow(label(IDS_LABEL_HTTP_PROXY_SERVER, http), http_server_);
    http_form->addRow(label(IDS_LABEL_HTTP_PROXY_PORT, http), http_port_);
    column->addWidget(http);
    column->addStretch(1);
    connect(type_, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            type_changed();
    });
}

void ProxyPage::type_changed()
{
    const int type = type_->checkedId();
    host_->setEnabled(type != PROXY_NONE);
    port_->setEnabled(type != PROXY_NONE);
    // SOCKS 4 carries a user id but no password.
    password_->setEnabled(type != PROXY_SOCKS4);
}

void ProxyPage::show_values(const PreferenceValues& values)
{
    const int type =
        values.proxy.type >= PROXY_FTP && values.proxy.type <= PROXY_SOCKS5 ? values.proxy.type : PROXY_NONE;
    type_->button(type)->setChecked(true);
    type_changed();
    host_->setText(q(values.proxy_host));
    port_->setValue(values.proxy_port);
    user_->setText(q(values.proxy.user_name));
    password_->setText(q(values.proxy.password));
    http_server_->setText(q(values.proxy.http_server));
    http_port_->setValue(values.proxy.http_port);
}

void ProxyPage::read_values(PreferenceValues& values) const
{
    values.proxy.type = type_->checkedId() < 0 ? PROXY_NONE : type_->checkedId();
    values.proxy_host = text_of(*host_);
    values.proxy_port = port_->value();
    values.proxy.user_name = text_of(*user_);
    values.proxy.password = password_->text().toStdString();
    values.proxy.http_server = text_of(*http_server_);
    values.proxy.http_port = http_port_->value();
}

} // namespace kestovan
