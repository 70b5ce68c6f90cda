// The only exceptions of the program: allocation failure and out-of-range access in the common
// library. Logic code catches them at the dispatch boundary; everything else reports errors by value.
#pragma once

#include <cstddef>
#include <exception>
#include <string_view>

namespace kestovan {

class Exception : public std::exception {
public:
    static constexpr std::size_t MESSAGE_SIZE = 128; // the message is cut to MESSAGE_SIZE - 1 characters

    explicit Exception(const char* message); // null counts as empty
    explicit Exception(std::string_view message);

    [[nodiscard]] const char* what() const noexcept override { return message_; }
    [[nodiscard]] const char* message() const noexcept { return message_; }

private:
    char message_[MESSAGE_SIZE] = {};
};

class EOutOfMemory : public Exception {
public:
    EOutOfMemory() : Exception("Out of Memory") {}
};

class EOutOfBounds : public Exception {
public:
    EOutOfBounds() : Exception("Out of array bounds") {}
};

} // namespace kestovan
