#include "ui/language.h"

#include "common/container.h"
#include "common/install_paths.h"
#include "common/text_file.h"

#include <cstdint>
#include <system_error>

namespace kestovan {

namespace {

Language* current = nullptr;

// A text split into the blanks set aside when it is translated and the text that is looked up.
struct Blanks {
    std::string_view lead;
    std::string_view core;
    std::string_view trail;
};

Blanks split_blanks(std::string_view text)
{
    std::size_t end = text.size();
    while (end > 0 &&
           (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r' || text[end - 1] == '\n'))
        --end;
    std::size_t start = 0;
    while (start < end && text[start] == ' ')
        ++start;
    return {text.substr(0, start), text.substr(start, end - start), text.substr(end)};
}

std::string joined(const Blanks& blanks, std::string_view core)
{
    std::string out;
    out.reserve(blanks.lead.size() + core.size() + blanks.trail.size());
    out += blanks.lead;
    out += core;
    out += blanks.trail;
    return out;
}

std::string qualified(std::string_view text, int form)
{
    return std::string(text) + ":" + std::to_string(form);
}

bool has_container_magic(std::string_view bytes)
{
    if (bytes.size() < 4)
        return false;
    std::uint32_t magic = 0;
    for (std::size_t i = 0; i < 4; ++i)
        magic |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return magic == CONTAINER_MAGIC;
}

} // namespace

std::filesystem::path program_data_folder()
{
    if (const auto bin = executable_folder())
        if (auto installed = installed_data_folder(*bin))
            return *installed;
    return std::filesystem::path(KESTOVAN_RESOURCES_DIR);
}

std::filesystem::path help_page_file(const std::filesystem::path& data,
                                     const std::optional<std::string>& code)
{
    if (const std::optional<std::string> normalized = code ? normalized_language_code(*code) : std::nullopt) {
        std::filesystem::path translated = data / ("help_" + *normalized + ".htm");
        std::error_code error;
        if (std::filesystem::is_regular_file(translated, error))
            return translated;
    }
    return data / "help.htm";
}

LanguageFolders default_language_folders()
{
    LanguageFolders folders;
    std::error_code error;
    const std::filesystem::path working = std::filesystem::current_path(error);
    if (!error)
        folders.bases.push_back(working);
    // An installed program keeps its packed files in its data folder; only a build-tree program
    // looks in the build tree, which may be gone or newer than what was installed.
    const std::filesystem::path data = program_data_folder();
#ifdef KESTOVAN_LANG_DIR
    if (data == std::filesystem::path(KESTOVAN_RESOURCES_DIR))
        folders.bases.push_back(std::filesystem::path(KESTOVAN_LANG_DIR).parent_path());
#endif
    folders.bases.push_back(data);
    return folders;
}

std::optional<std::string> normalized_language_code(std::string_view code)
{
    if (code.empty() || code.size() > 8)
        return std::nullopt;
    std::string out;
    for (char c : code) {
        if (c >= 'A' && c <= 'Z')
            out += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            out += c;
        else
            return std::nullopt;
    }
    return out;
}

std::filesystem::path language_file_name(std::string_view code)
{
    return std::filesystem::path("lang") / ("lang_" + std::string(code) + ".dat");
}

std::optional<std::filesystem::path> find_language_file(std::string_view code, const LanguageFolders& folders)
{
    const std::optional<std::string> normalized = normalized_language_code(code);
    if (!normalized)
        return std::nullopt;
    for (const std::filesystem::path& base : folders.bases) {
        std::filesystem::path file = base / language_file_name(*normalized);
        std::error_code error;
        if (std::filesystem::is_regular_file(file, error))
            return file;
    }
    return std::nullopt;
}

std::optional<std::string> Language::load_language(const std::optional<std::string>& code,
                                                   const LanguageFolders& folders)
{
    unload();
    if (!code)
        return std::nullopt;
    const std::optional<std::filesystem::path> file = find_language_file(*code, folders);
    if (!file || !load_file(*file))
        return std::nullopt;
    return file_code_;
}

bool Language::load_file(const std::filesystem::path& file)
{
    unload();
    const std::optional<std::string> bytes = read_whole_file(file);
    if (!bytes)
        return false;
    if (!has_container_magic(*bytes)) {
        load_text(*bytes);
        return true;
    }
    const std::optional<std::string> text = decode_container(*bytes);
    if (!text)
        return false;
    load_text(*text);
    return true;
}

void Language::load_text(std::string_view text)
{
    LanguageText read = read_language_text(text, *english_text(IDS_APP_TITLE));
    translations_ = std::move(read.translations);
    font_ = std::move(read.font);
    file_code_ = std::move(read.code);
}

void Language::unload()
{
    translations_.reset();
    font_ = LanguageFont{};
    file_code_.reset();
}

std::optional<std::string> Language::find_translation(std::string_view english) const
{
    if (!translations_ || english.empty())
        return std::nullopt;
    if (auto exact = translations_->find(english))
        return std::string(*exact);
    const Blanks blanks = split_blanks(english);
    if (blanks.core.empty() || blanks.core.size() == english.size())
        return std::nullopt;
    if (auto core = translations_->find(blanks.core))
        return joined(blanks, *core);
    return std::nullopt;
}

std::string Language::translate_string(std::string_view english) const
{
    return find_translation(english).value_or(std::string(english));
}

std::string Language::text(int id) const
{
    const std::optional<std::string_view> english = english_text(id);
    return english ? translate_string(*english) : std::string();
}

std::optional<std::string> Language::lookup(std::string_view core, int form) const
{
    if (auto found = translations_->find(qualified(core, form)))
        return std::string(*found);
    if (auto found = translations_->find(core))
        return std::string(*found);
    return std::nullopt;
}

std::string Language::translate_known_text(std::string_view english, int form) const
{
    const Blanks blanks = split_blanks(english);
    if (!translations_ || blanks.core.empty())
        return std::string(english);
    const std::optional<std::string> found = lookup(blanks.core, form);
    return found ? joined(blanks, *found) : std::string(english);
}

std::string Language::translate_text(std::string_view text, int form)
{
    const Blanks blanks = split_blanks(text);
    if (blanks.core.empty())
        return std::string(text);
    if (translations_) {
        const std::optional<std::string> found = lookup(blanks.core, form);
        if (!found)
            return std::string(text);
        // Only a text that was translated is recorded: an English text restored from this map must not
        // point back to the translation, or the next English pass would bring the translation back.
        reverse_.insert(qualified(*found, form), blanks.core);
        return joined(blanks, *found);
    }
    const std::optional<std::string_view> english = reverse_.find(qualified(blanks.core, form));
    return english ? joined(blanks, *english) : std::string(text);
}

void set_current_language(Language* language)
{
    current = language;
}

Language* current_language()
{
    return current;
}

std::string load_string(int id)
{
    if (current)
        return current->text(id);
    const std::optional<std::string_view> english = english_text(id);
    return english ? std::string(*english) : std::string();
}

QString load_qstring(int id)
{
    return QString::fromStdString(load_string(id));
}

namespace detail {

std::string format_for(int id)
{
    const std::string english(english_text(id).value_or(std::string_view()));
    if (!current)
        return english;
    const std::optional<std::string> translated = current->find_translation(english);
    if (!translated || printf_placeholders(*translated) != printf_placeholders(english))
        return english;
    return *translated;
}

} // namespace detail

} // namespace kestovan
