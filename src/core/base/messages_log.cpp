#include "core/base/messages_log.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace kavrel {

namespace {
constexpr char kSeparator[] = "# ";
}

MessagesLog::MessagesLog() : MessagesLog(&MessagesLog::SystemTimeOfDay) {}

MessagesLog::MessagesLog(TimeOfDay clock) : clock_(std::move(clock)) {}

void MessagesLog::AddMessage(const std::string& text) {
  std::string line = "  " + clock_() + kSeparator + text;
  Listener listener;
  {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
    listener = listener_;
  }
  if (listener) listener(line);
}

void MessagesLog::Clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
  ++generation_;
}

std::vector<std::string> MessagesLog::Lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

MessagesLog::Slice MessagesLog::LinesFrom(std::uint64_t generation, std::size_t first) const {
  std::lock_guard lock(mutex_);
  Slice slice;
  slice.Generation = generation_;
  slice.First = generation == generation_ && first <= lines_.size() ? first : 0;
  slice.Lines.assign(lines_.begin() + static_cast<std::ptrdiff_t>(slice.First), lines_.end());
  return slice;
}

std::size_t MessagesLog::Count() const {
  std::lock_guard lock(mutex_);
  return lines_.size();
}

std::size_t MessagesLog::CountOf(const std::string& text) const {
  std::lock_guard lock(mutex_);
  const std::string tail = kSeparator + text;
  return static_cast<std::size_t>(std::count_if(lines_.begin(), lines_.end(), [&](const auto& l) {
    return l.size() >= tail.size() && l.compare(l.size() - tail.size(), tail.size(), tail) == 0;
  }));
}

namespace {

constexpr std::string_view kInternalError = "Internal error";

// The message text of a line, after the time and the separator.
std::string_view TextOf(const std::string& line) {
  const auto at = line.find(kSeparator);
  return at == std::string::npos ? std::string_view(line)
                                 : std::string_view(line).substr(at + sizeof kSeparator - 1);
}

}  // namespace

std::vector<std::string> MessagesLog::Texts() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> texts;
  texts.reserve(lines_.size());
  for (const std::string& line : lines_) texts.emplace_back(TextOf(line));
  return texts;
}

std::size_t MessagesLog::InternalErrors() const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(std::count_if(lines_.begin(), lines_.end(), [](const auto& l) {
    return TextOf(l).starts_with(kInternalError);
  }));
}

std::string MessagesLog::FirstInternalError(std::size_t skip) const {
  std::lock_guard lock(mutex_);
  for (std::size_t k = skip; k < lines_.size(); ++k) {
    if (TextOf(lines_[k]).starts_with(kInternalError)) return std::string(TextOf(lines_[k]));
  }
  return {};
}

void MessagesLog::SetListener(Listener listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

std::string MessagesLog::SystemTimeOfDay() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  char buffer[16];
  std::strftime(buffer, sizeof buffer, "%H:%M:%S", &local);
  return buffer;
}

}  // namespace kavrel
