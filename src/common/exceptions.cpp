#include "common/exceptions.h"

#include <algorithm>

namespace kestovan {

Exception::Exception(const char* message)
    : Exception(message ? std::string_view(message) : std::string_view())
{}

Exception::Exception(std::string_view message)
{
    const std::size_t n = std::min(message.size(), MESSAGE_SIZE - 1);
    std::copy_n(message.data(), n, message_);
    message_[n] = '\0';
}

} // namespace kestovan
