#include "ui/translation_map.h"

#include <utility>
#include <vector>

namespace kestovan {

namespace {

std::size_t common_prefix(std::string_view a, std::string_view b)
{
    std::size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

} // namespace

TranslationMap::TranslationMap(TranslationMap&& other) noexcept
    : first_(std::move(other.first_)), size_(std::exchange(other.size_, 0))
{}

TranslationMap& TranslationMap::operator=(TranslationMap&& other) noexcept
{
    if (this != &other) {
        clear();
        first_ = std::move(other.first_);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

TranslationMap::~TranslationMap()
{
    clear();
}

bool TranslationMap::insert(std::string_view key, std::string_view value)
{
    if (key.empty())
        return false;
    auto make_leaf = [&value](std::string_view fragment) {
        auto leaf = std::make_unique<Node>();
        leaf->fragment = std::string(fragment);
        leaf->value = std::string(value);
        return leaf;
    };

    std::unique_ptr<Node>* siblings = &first_;
    std::string_view rest = key;
    for (;;) {
        std::unique_ptr<Node>* slot = siblings;
        while (*slot && (*slot)->fragment.front() != rest.front())
            slot = &(*slot)->sibling;
        if (!*slot) {
            *slot = make_leaf(rest);
            ++size_;
            return true;
        }
        Node& node = **slot;
        const std::size_t common = common_prefix(node.fragment, rest);
        if (common < node.fragment.size()) {
            // The key leaves this fragment early: the node keeps the common part, and what it held
            // moves one level down into the remainder of its fragment.
            auto tail = std::make_unique<Node>();
            tail->fragment = node.fragment.substr(common);
            tail->value = std::move(node.value);
            tail->child = std::move(node.child);
            node.fragment.resize(common);
            node.value.reset();
            node.child = std::move(tail);
            if (common == rest.size())
                node.value = std::string(value);
            else
                node.child->sibling = make_leaf(rest.substr(common));
            ++size_;
            return true;
        }
        if (common == rest.size()) {
            if (!node.value)
                ++size_;
            node.value = std::string(value);
            return true;
        }
        rest.remove_prefix(common);
        siblings = &node.child;
    }
}

std::optional<std::string_view> TranslationMap::find(std::string_view key) const
{
    if (key.empty())
        return std::nullopt;
    const Node* node = first_.get();
    std::string_view rest = key;
    while (node) {
        if (node->fragment.front() != rest.front()) {
            node = node->sibling.get();
            continue;
        }
        if (!rest.starts_with(node->fragment))
            return std::nullopt;
        if (rest.size() == node->fragment.size()) {
            if (!node->value)
                return std::nullopt;
            return std::string_view(*node->value);
        }
        rest.remove_prefix(node->fragment.size());
        node = node->child.get();
    }
    return std::nullopt;
}

void TranslationMap::clear()
{
    // Taken apart with an explicit stack: long keys make deep chains of children.
    std::vector<std::unique_ptr<Node>> pending;
    if (first_)
        pending.push_back(std::move(first_));
    while (!pending.empty()) {
        std::unique_ptr<Node> node = std::move(pending.back());
        pending.pop_back();
        if (node->sibling)
            pending.push_back(std::move(node->sibling));
        if (node->child)
            pending.push_back(std::move(node->child));
    }
    size_ = 0;
}

std::size_t TranslationMap::node_count() const
{
    std::size_t count = 0;
    std::vector<const Node*> pending;
    if (first_)
        pending.push_back(first_.get());
    while (!pending.empty()) {
        const Node* node = pending.back();
        pending.pop_back();
        ++count;
        if (node->sibling)
            pending.push_back(node->sibling.get());
        if (node->child)
            pending.push_back(node->child.get());
    }
    return count;
}

void TranslationMap::for_each(const std::function<void(std::string_view, std::string_view)>& visit) const
{
    // Each pending node comes with the key text that leads to it.
    std::vector<std::pair<const Node*, std::string>> pending;
    if (first_)
        pending.emplace_back(first_.get(), std::string());
    while (!pending.empty()) {
        auto [node, prefix] = std::move(pending.back());
        pending.pop_back();
        if (node->sibling)
            pending.emplace_back(node->sibling.get(), prefix);
        std::string key = prefix + node->fragment;
        if (node->value)
            visit(key, *node->value);
        if (node->child)
            pending.emplace_back(node->child.get(), std::move(key));
    }
}

} // namespace kestovan
