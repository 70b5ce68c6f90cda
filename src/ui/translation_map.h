// The map behind translations and their reverse: text keys to text values in a compressed prefix
// tree. Each node holds a key fragment, its next sibling (a sibling starts with a different first
// character), its first child (where keys go on once the fragment is used up) and perhaps a value.
// Inserting splits a node where a new key diverges inside its fragment; inserting a key again
// replaces its value. Keys and values are 8-bit text compared byte by byte.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

class TranslationMap {
public:
    TranslationMap() = default;
    TranslationMap(const TranslationMap&) = delete;
    TranslationMap& operator=(const TranslationMap&) = delete;
    TranslationMap(TranslationMap&& other) noexcept;
    TranslationMap& operator=(TranslationMap&& other) noexcept;
    ~TranslationMap();

    // Stores value under key, replacing an earlier value. An empty key cannot be stored: false.
    bool insert(std::string_view key, std::string_view value);

    // The value stored under key. The view stays valid until the map is next changed.
    [[nodiscard]] std::optional<std::string_view> find(std::string_view key) const;

    void clear();
    [[nodiscard]] std::size_t size() const { return size_; }
    [[nodiscard]] bool empty() const { return size_ == 0; }

    // The number of nodes; the same set of keys always gives the same count, whatever the order in
    // which the keys were inserted.
    [[nodiscard]] std::size_t node_count() const;

    // Calls visit for every stored key and value, in no particular order.
    void for_each(const std::function<void(std::string_view key, std::string_view value)>& visit) const;

private:
    struct Node {
        std::string fragment; // never empty
        std::optional<std::string> value;
        std::unique_ptr<Node> sibling;
        std::unique_ptr<Node> child;
    };

    std::unique_ptr<Node> first_;
    std::size_t size_ = 0;
};

} // namespace kestovan
