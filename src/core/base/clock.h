#pragma once

// The workspace's clock: what "now" is for the texts that carry the date and time (the storage
// grid's "Written" line, export titles). The program reads the system clock; tests fix it.

#include <chrono>
#include <functional>

namespace kavrel {

using Clock = std::function<std::chrono::system_clock::time_point()>;

inline Clock SystemClock() {
  return [] { return std::chrono::system_clock::now(); };
}

}  // namespace kavrel
