#include "common/t_string.h"

#include "common/exceptions.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace kestovan {

namespace {

std::string_view until_nul(std::string_view text)
{
    const std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::string_view from_c(const char* text)
{
    return text ? std::string_view(text) : std::string_view();
}

std::unique_ptr<char[]> allocate_block(std::int32_t capacity)
{
    try {
        auto block = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(capacity) + 1);
        block[0] = '\0';
        return block;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

t_string::t_string(const t_string& other)
{
    *this = other;
}

t_string& t_string::operator=(const t_string& other)
{
    if (this == &other)
        return *this;
    if (!other.block_) {
        release();
        return *this;
    }
    auto block = allocate_block(other.capacity_);
    if (!block)
        throw EOutOfMemory();
    std::memcpy(block.get(), other.block_.get(), static_cast<std::size_t>(other.length_) + 1);
    block_ = std::move(block);
    capacity_ = other.capacity_;
    length_ = other.length_;
    return *this;
}

t_string::t_string(t_string&& other) noexcept
    : block_(std::move(other.block_)), capacity_(other.capacity_), length_(other.length_)
{
    other.capacity_ = 0;
    other.length_ = 0;
}

t_string& t_string::operator=(t_string&& other) noexcept
{
    if (this != &other) {
        block_ = std::move(other.block_);
        capacity_ = other.capacity_;
        length_ = other.length_;
        other.capacity_ = 0;
        other.length_ = 0;
    }
    return *this;
}

bool t_string::create(std::int32_t n)
{
    if (n < 0 || n > MAX_CAPACITY)
        return false;
    auto block = allocate_block(n);
    if (!block)
        return false;
    block_ = std::move(block);
    capacity_ = n;
    length_ = 0;
    return true;
}

const char* t_string::store(const char* text, std::size_t n)
{
    if (n > static_cast<std::size_t>(MAX_CAPACITY))
        return nullptr;
    const auto length = static_cast<std::int32_t>(n);
    if (!block_ || capacity_ < length) {
        // text may point into the old block, so it is copied before that block goes.
        auto block = allocate_block(length);
        if (!block)
            return nullptr;
        if (n > 0)
            std::memcpy(block.get(), text, n);
        block_ = std::move(block);
        capacity_ = length;
    } else if (n > 0) {
        std::memmove(block_.get(), text, n);
    }
    block_[n] = '\0';
    length_ = length;
    return block_.get();
}

const char* t_string::assign(const char* text)
{
    return assign(from_c(text));
}

const char* t_string::assign(std::string_view text)
{
    text = until_nul(text);
    return store(text.data(), text.size());
}

const char* t_string::assign_prefix(const char* text, std::size_t len)
{
    // strnlen: a prefix of an unterminated buffer must not be read past len.
    return assign_prefix(text ? std::string_view(text, strnlen(text, len)) : std::string_view(), len);
}

const char* t_string::assign_prefix(std::string_view text, std::size_t len)
{
    return assign(text.substr(0, len));
}

const char* t_string::assign_until(const char* text, char ch)
{
    return assign_until(from_c(text), ch);
}

const char* t_string::assign_until(std::string_view text, char ch)
{
    text = until_nul(text);
    const std::size_t at = text.find(ch);
    return assign(at == std::string_view::npos ? text : text.substr(0, at));
}

const char* t_string::format(const char* fmt, ...)
{
    if (!fmt)
        return assign("");
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    if (needed < 0 || needed > MAX_CAPACITY) {
        va_end(again);
        return nullptr;
    }
    // Formatted into a separate buffer: an argument may be this string's own text.
    std::string text;
    try {
        text.resize(static_cast<std::size_t>(needed));
    } catch (const std::bad_alloc&) {
        va_end(again);
        return nullptr;
    }
    std::vsnprintf(text.data(), text.size() + 1, fmt, again);
    va_end(again);
    return assign(std::string_view(text));
}

void t_string::sync_length()
{
    if (!block_)
        return;
    length_ = static_cast<std::int32_t>(strnlen(block_.get(), static_cast<std::size_t>(capacity_)));
    block_[length_] = '\0';
}

void t_string::release()
{
    block_.reset();
    capacity_ = 0;
    length_ = 0;
}

} // namespace kestovan
