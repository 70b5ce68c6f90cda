#include "views/link_harvest.h"

#include <algorithm>
#include <cctype>
#include <gumbo.h>
#include <set>

namespace kestovan {

namespace {

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

// Replaces the first occurrence of `word` (any case) by itself in lower case.
void lower_first(std::string& text, std::string_view word)
{
    if (std::size_t at = lower(text).find(word); at != std::string::npos)
        text.replace(at, word.size(), word);
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Collects the href of every A element below root, in document order, without recursion so deep
// nesting cannot exhaust the stack.
void collect_hrefs(const GumboNode* root, std::vector<std::string>& hrefs)
{
    std::vector<const GumboNode*> stack{root};
    while (!stack.empty()) {
        const GumboNode* node = stack.back();
        stack.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
            continue;
        const GumboElement& element = node->v.element;
        if (element.tag == GUMBO_TAG_A) {
            if (const GumboAttribute* href = gumbo_get_attribute(&element.attributes, "href"))
                hrefs.emplace_back(href->value);
        }
        for (unsigned i = element.children.length; i > 0; --i)
            stack.push_back(static_cast<const GumboNode*>(element.children.data[i - 1]));
    }
}

} // namespace

std::optional<std::string> clean_link(std::string_view href)
{
    std::string link;
    link.reserve(href.size());
    for (char c : href)
        if (c != '\t' && c != '\r' && c != '\n')
            link.push_back(c);
    lower_first(link, "https:");
    lower_first(link, "http:");
    link = link.substr(0, link.find('#'));
    if (lower(link).find(".jsp") == std::string::npos)
        link = link.substr(0, link.find('?'));
    // Blanks around the link, and those the cuts left at its end, are no part of the name.
    while (!link.empty() && is_blank(link.front()))
        link.erase(link.begin());
    while (!link.empty() && is_blank(link.back()))
        link.pop_back();
    if (link.empty())
        return std::nullopt;
    return link;
}

std::vector<std::string> harvest_links(std::string_view html)
{
    std::vector<std::string> links;
    if (html.empty())
        return links;
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0; // parse errors are of no interest here; do not collect them
    GumboOutput* output = gumbo_parse_with_options(&options, html.data(), html.size());
    if (!output)
        return links;
    std::vector<std::string> hrefs;
    collect_hrefs(output->root, hrefs);
    gumbo_destroy_output(&options, output);
    std::set<std::string> seen;
    for (const std::string& href : hrefs) {
        auto link = clean_link(href);
        if (link && seen.insert(lower(*link)).second)
            links.push_back(std::move(*link));
    }
    return links;
}

} // namespace kestovan
