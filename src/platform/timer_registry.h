// Internal to the platform layer: lets the virtual clock reach every window's timers.
#pragma once

#include <cstdint>
#include <optional>

namespace kestovan::timer_registry {

void switch_all(bool to_virtual);
std::optional<std::int64_t> next_due();
void fire_due(std::int64_t now);

} // namespace kestovan::timer_registry
