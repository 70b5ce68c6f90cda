// Counted strings: an owned, NUL-terminated 8-bit text with a signed 32-bit capacity and length.
// A null string (no block) reads as the empty text everywhere. The block grows to exactly the length
// that is needed and never shrinks while it lives, so a string that is assigned over and over keeps
// one allocation once it is large enough. Operations that allocate return null (or false) when the
// allocation fails or the text would not fit the 32-bit model; the old contents then stay untouched.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kestovan {

class t_string {
public:
    // The header of the stored block was 8 bytes and the terminator one more; the total stays
    // representable in a signed 32-bit size.
    static constexpr std::int32_t MAX_CAPACITY = INT32_MAX - 9;

    t_string() = default;
    explicit t_string(std::string_view text) { assign(text); }
    t_string(const t_string& other); // deep copy; throws EOutOfMemory when the copy cannot be made
    t_string& operator=(const t_string& other);
    t_string(t_string&& other) noexcept;
    t_string& operator=(t_string&& other) noexcept;
    ~t_string() = default;

    // A new block of capacity n holding the empty text (the old block is freed). False for a negative
    // or too large n, or when the allocation fails.
    bool create(std::int32_t n);

    // Copies text; a null text counts as empty. A text is taken up to its first NUL character, since
    // the stored text never holds one. Returns the stored text, or null on failure.
    const char* assign(const char* text);
    const char* assign(std::string_view text);

    // Copies at most len characters of text (fewer when text is shorter).
    const char* assign_prefix(const char* text, std::size_t len);
    const char* assign_prefix(std::string_view text, std::size_t len);

    // Copies the part of text before the first ch; the whole text when ch does not occur.
    const char* assign_until(const char* text, char ch);
    const char* assign_until(std::string_view text, char ch);

    // printf-style formatting into the string. Returns the stored text, or null on failure (also for
    // an invalid format); a %c of 0 ends the stored text there.
    const char* format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // Re-reads the length after the text was edited in place through data(). Without a terminator
    // within the capacity the text is cut at the capacity.
    void sync_length();

    // Frees the block; the string is null again.
    void release();

    // The text; "" for a null string.
    [[nodiscard]] const char* c_str() const { return block_ ? block_.get() : ""; }
    [[nodiscard]] std::string_view view() const { return {c_str(), static_cast<std::size_t>(length_)}; }
    [[nodiscard]] std::string str() const { return std::string(view()); }
    // The block for editing in place: capacity() characters and a terminator; null for a null string.
    // Call sync_length() afterwards.
    [[nodiscard]] char* data() { return block_.get(); }
    [[nodiscard]] std::int32_t length() const { return length_; }
    [[nodiscard]] std::int32_t capacity() const { return capacity_; }
    [[nodiscard]] bool is_null() const { return block_ == nullptr; }
    [[nodiscard]] bool empty() const { return length_ == 0; }

    friend bool operator==(const t_string& a, const t_string& b) { return a.view() == b.view(); }
    friend bool operator==(const t_string& a, std::string_view b) { return a.view() == b; }

private:
    // Stores n bytes from text (which must not hold a NUL), growing the block to exactly n if needed.
    const char* store(const char* text, std::size_t n);

    std::unique_ptr<char[]> block_;
    std::int32_t capacity_ = 0;
    std::int32_t length_ = 0;
};

} // namespace kestovan
