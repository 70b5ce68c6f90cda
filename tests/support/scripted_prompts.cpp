#include "support/scripted_prompts.h"

#include <algorithm>

namespace kestovan::test {

void ScriptedPrompts::message(const std::string& caption, const std::string& text, PromptIcon)
{
    asked.push_back({"message", caption, text, false});
}

PromptAnswer ScriptedPrompts::question(const std::string& caption, const std::string& text, PromptButtons,
                                       PromptIcon)
{
    asked.push_back({"question", caption, text, false});
    if (answers.empty())
        return PromptAnswer::Cancel;
    PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

CertificateAnswer ScriptedPrompts::certificate(const CertificatePrompt& prompt)
{
    asked.push_back({"certificate", prompt.server, prompt.sha256, false});
    certificates.push_back(prompt);
    if (certificate_answers.empty())
        return CertificateAnswer::Cancel;
    const CertificateAnswer answer = certificate_answers.front();
    certificate_answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompts::next_text()
{
    if (texts.empty())
        return std::nullopt;
    auto text = texts.front();
    texts.pop_front();
    return text;
}

std::optional<std::string> ScriptedPrompts::password(const std::string& prompt)
{
    asked.push_back({"password", "", prompt, false});
    return next_text();
}

FileExistsAnswer ScriptedPrompts::file_exists(const std::string& text, bool offer_restart)
{
    asked.push_back({"file_exists", "", text, offer_restart});
    if (exists_answers.empty())
        return EXISTS_CANCEL;
    FileExistsAnswer answer = exists_answers.front();
    exists_answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompts::text(const std::string& caption, const std::string& prompt,
                                                 const std::string&)
{
    asked.push_back({"text", caption, prompt, false});
    return next_text();
}

std::optional<std::string> ScriptedPrompts::save_file(const std::string& title, const std::string&,
                                                      const std::string& proposed_name, const std::string&)
{
    asked.push_back({"save_file", title, proposed_name, false});
    return next_text();
}

std::optional<std::string> ScriptedPrompts::open_file(const std::string& title, const std::string&)
{
    asked.push_back({"open_file", title, "", false});
    return next_text();
}

std::optional<int> ScriptedPrompts::chmod(const std::string& name,
                                          const std::optional<std::string>& permissions)
{
    asked.push_back({"chmod", name, permissions.value_or(""), false});
    if (modes.empty())
        return std::nullopt;
    auto mode = modes.front();
    modes.pop_front();
    return mode;
}

std::optional<std::string> ScriptedPrompts::append_file(const std::string& prompt,
                                                        const std::vector<std::string>& names,
                                                        const std::string& initial)
{
    asked.push_back({"append_file", initial, prompt, false});
    offered = names;
    return next_text();
}

int ScriptedPrompts::count(const std::string& kind) const
{
    return static_cast<int>(
        std::count_if(asked.begin(), asked.end(), [&](const Asked& a) { return a.kind == kind; }));
}

} // namespace kestovan::test
