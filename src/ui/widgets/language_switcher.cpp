#include "ui/widgets/language_switcher.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAction>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace kestovan {

namespace {

// Set on the main window while it carries a language's own font.
constexpr char LANGUAGE_FONT_PROPERTY[] = "kestovan_language_font";

std::string to_std(const QString& text)
{
    return text.toStdString();
}

QString to_q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::optional<int> int_property(const QObject& object, const char* name)
{
    const QVariant value = object.property(name);
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!value.isValid() || !ok)
        return std::nullopt;
    return number;
}

std::vector<int> id_list_property(const QObject& object, const char* name)
{
    std::vector<int> ids;
    for (const QVariant& value : object.property(name).toList())
        ids.push_back(value.toInt());
    return ids;
}

int form_of(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (auto form = int_property(*widget, FORM_PROPERTY))
            return *form;
    }
    return 0;
}

QVariantList to_variant_list(std::initializer_list<int> ids)
{
    QVariantList list;
    for (int id : ids)
        list.append(id);
    return list;
}

class TreeTranslator {
public:
    explicit TreeTranslator(Language& language) : language_(language) {}

    void widget(QWidget& w)
    {
        if (auto tip = int_property(w, TOOLTIP_ID_PROPERTY))
            w.setToolTip(to_q(language_.text(*tip)));
        auto* edit = qobject_cast<QLineEdit*>(&w);
        const std::optional<int> placeholder = int_property(w, PLACEHOLDER_ID_PROPERTY);
        if (edit && placeholder)
            edit->setPlaceholderText(to_q(language_.text(*placeholder)));
        if (w.property(NO_TRANSLATION_PROPERTY).toBool() || qobject_cast<QMenu*>(&w))
            return;
        const int form = form_of(&w);
        const std::optional<int> id = int_property(w, STRING_ID_PROPERTY);
        auto main_text = [&](const QString& shown) {
            return id ? to_q(language_.text(*id)) : window_text(shown, form);
        };
        if (auto* button = qobject_cast<QAbstractButton*>(&w)) {
            auto* tool = qobject_cast<QToolButton*>(button);
            if (!tool || !tool->defaultAction())
                button->setText(main_text(button->text()));
        } else if (auto* label = qobject_cast<QLabel*>(&w)) {
            label->setText(main_text(label->text()));
        } else if (auto* group = qobject_cast<QGroupBox*>(&w)) {
            group->setTitle(main_text(group->title()));
        } else if (w.isWindow()) {
            w.setWindowTitle(main_text(w.windowTitle()));
        }
        if (edit && !placeholder)
            edit->setPlaceholderText(window_text(edit->placeholderText(), form));
        if (auto* bar = qobject_cast<QTabBar*>(&w))
            tabs(*bar, form);
        if (auto* view = qobject_cast<QAbstractItemView*>(&w))
            columns(*view);
    }

    void action(QAction& a, int fallback_form)
    {
        if (a.isSeparator() || a.property(NO_TRANSLATION_PROPERTY).toBool())
            return;
        const int form = action_form(a, fallback_form);
        if (auto id = int_property(a, STRING_ID_PROPERTY)) {
            a.setText(to_q(language_.translate_known_text(english_text(*id).value_or(""), form)));
        } else {
            // Without a string id the English text is the one the action had when first met; a text
            // that differs from what the walk set last time was set by the program since.
            QVariant english = a.property(ENGLISH_TEXT_PROPERTY);
            if (!english.isValid() || a.text() != a.property(SHOWN_TEXT_PROPERTY).toString()) {
                english = a.text();
                a.setProperty(ENGLISH_TEXT_PROPERTY, english);
            }
            const QString shown = to_q(language_.translate_known_text(to_std(english.toString()), form));
            a.setText(shown);
            a.setProperty(SHOWN_TEXT_PROPERTY, shown);
        }
        if (auto tip = int_property(a, TOOLTIP_ID_PROPERTY))
            a.setToolTip(to_q(language_.text(*tip)));
    }

private:
    QString window_text(const QString& text, int form)
    {
        if (text.isEmpty())
            return text;
        return to_q(language_.translate_text(to_std(text), form));
    }

    void tabs(QTabBar& bar, int form)
    {
        std::vector<int> ids = id_list_property(bar, TAB_IDS_PROPERTY);
        if (ids.empty()) {
            if (auto* owner = qobject_cast<QTabWidget*>(bar.parentWidget()))
                ids = id_list_property(*owner, TAB_IDS_PROPERTY);
        }
        for (int i = 0; i < bar.count(); ++i) {
            if (static_cast<std::size_t>(i) < ids.size())
                bar.setTabText(i, to_q(language_.text(ids[static_cast<std::size_t>(i)])));
            else
                bar.setTabText(i, window_text(bar.tabText(i), form));
        }
    }

    void columns(QAbstractItemView& view)
    {
        QAbstractItemModel* model = view.model();
        const std::vector<int> ids = id_list_property(view, COLUMN_IDS_PROPERTY);
        if (!model || ids.empty())
            return;
        const int count = std::min(static_cast<int>(ids.size()), model->columnCount());
        for (int column = 0; column < count; ++column) {
            const QString title = to_q(language_.text(ids[static_cast<std::size_t>(column)]));
            if (!model->setHeaderData(column, Qt::Horizontal, title))
                emit model->headerDataChanged(Qt::Horizontal, column, column);
        }
    }

    static int action_form(const QAction& a, int fallback_form)
    {
        for (QObject* object : a.associatedObjects()) {
            if (auto* bar = qobject_cast<QToolBar*>(object))
                return form_of(bar);
        }
        if (auto* owner = qobject_cast<QWidget*>(a.parent()))
            return form_of(owner);
        return fallback_form;
    }

    Language& language_;
};

// Every action the tree shows: those added to its widgets and those the tree owns (a menu's own
// action is owned by the menu).
std::vector<QAction*> actions_of(QWidget& root, const QList<QWidget*>& widgets)
{
    std::vector<QAction*> actions;
    auto add = [&actions](QAction* action) {
        if (std::find(actions.begin(), actions.end(), action) == actions.end())
            actions.push_back(action);
    };
    for (QWidget* widget : widgets) {
        for (QAction* action : widget->actions())
            add(action);
    }
    for (QAction* action : root.findChildren<QAction*>())
        add(action);
    return actions;
}

void apply_language_font(QWidget& window, const LanguageFont& font)
{
    if (!font.face.empty()) {
        QFont chosen = window.font();
        chosen.setFamily(to_q(font.face));
        if (font.height > 0)
            chosen.setPixelSize(font.height);
        window.setFont(chosen);
        window.setProperty(LANGUAGE_FONT_PROPERTY, true);
    } else if (window.property(LANGUAGE_FONT_PROPERTY).toBool()) {
        window.setFont(QFont()); // back to the inherited user-interface font
        window.setProperty(LANGUAGE_FONT_PROPERTY, false);
    }
}

} // namespace

void set_form_number(QWidget& widget, int form)
{
    widget.setProperty(FORM_PROPERTY, form);
}

void bind_string_id(QWidget& widget, int id)
{
    widget.setProperty(STRING_ID_PROPERTY, id);
    const QString text = load_qstring(id);
    if (auto* button = qobject_cast<QAbstractButton*>(&widget))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(&widget))
        label->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(&widget))
        group->setTitle(text);
    else
        widget.setWindowTitle(text);
}

void bind_string_id(QAction& action, int id)
{
    action.setProperty(STRING_ID_PROPERTY, id);
    action.setText(load_qstring(id));
}

void bind_tooltip_id(QWidget& widget, int id)
{
    widget.setProperty(TOOLTIP_ID_PROPERTY, id);
    widget.setToolTip(load_qstring(id));
}

void bind_tooltip_id(QAction& action, int id)
{
    action.setProperty(TOOLTIP_ID_PROPERTY, id);
    action.setToolTip(load_qstring(id));
}

void bind_placeholder_id(QLineEdit& edit, int id)
{
    edit.setProperty(PLACEHOLDER_ID_PROPERTY, id);
    edit.setPlaceholderText(load_qstring(id));
}

void bind_column_ids(QAbstractItemView& view, std::initializer_list<int> ids)
{
    view.setProperty(COLUMN_IDS_PROPERTY, to_variant_list(ids));
    if (QAbstractItemModel* model = view.model()) {
        int column = 0;
        for (int id : ids) {
            if (column >= model->columnCount())
                break;
            model->setHeaderData(column++, Qt::Horizontal, load_qstring(id));
        }
    }
}

void bind_tab_ids(QTabWidget& tabs, std::initializer_list<int> ids)
{
    tabs.setProperty(TAB_IDS_PROPERTY, to_variant_list(ids));
    int index = 0;
    for (int id : ids) {
        if (index >= tabs.count())
            break;
        tabs.setTabText(index++, load_qstring(id));
    }
}

void translate_widget_tree(QWidget& root, Language& language)
{
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    TreeTranslator translator(language);
    for (QWidget* widget : widgets)
        translator.widget(*widget);
    const int root_form = form_of(&root);
    for (QAction* action : actions_of(root, widgets))
        translator.action(*action, root_form);
    root.update();
}

void switch_language(QWidget& main_window, Language& language, const std::optional<std::string>& code,
                     const LanguageFolders& folders)
{
    const std::optional<std::string> chosen = code ? normalized_language_code(*code) : std::nullopt;
    if (language.has_translations() && chosen) {
        language.load_language(std::nullopt, folders);
        translate_widget_tree(main_window, language);
    }
    language.load_language(chosen, folders);
    apply_language_font(main_window, language.font());
    translate_widget_tree(main_window, language);
    language.set_current_code(chosen);
}

} // namespace kestovan
