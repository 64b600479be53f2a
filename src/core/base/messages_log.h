#pragma once

// The messages log: warnings and internal-error notes of the engine, the curve fitting and the age
// schedules, kept for the whole run. The messages window shows it; the command-line tool echoes it.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace kavrel {

class MessagesLog {
 public:
  // Gives the time of day as the log shows it; the workspace's clock, fixed in tests.
  using TimeOfDay = std::function<std::string()>;
  // Told of each line as it is added (the command-line tool writes it to standard error), on the
  // thread that adds it, which may be a calculation worker: a listener that draws hands the news
  // to its own thread (a queued call) instead of touching a widget there.
  using Listener = std::function<void(const std::string& line)>;

  MessagesLog();
  explicit MessagesLog(TimeOfDay clock);

  // Appends "  " + time of day + "#" + " " + text. Safe to call from several calculation threads.
  void AddMessage(const std::string& text);
  void Clear();
  std::vector<std::string> Lines() const;
  // The lines a reader has not seen yet: those from `first` on when the log has not been cleared
  // since the reader's `generation`, else every line; with the log's generation now. A window
  // showing the log appends these instead of listing it all again.
  struct Slice {
    std::uint64_t Generation = 0;
    std::size_t First = 0;  // the index of Lines.front() in the log
    std::vector<std::string> Lines;
  };
  Slice LinesFrom(std::uint64_t generation, std::size_t first) const;
  // The lines' message texts, without the time of day.
  std::vector<std::string> Texts() const;
  std::size_t Count() const;
  // Number of lines whose message text (after the time) equals text.
  std::size_t CountOf(const std::string& text) const;
  // Number of "Internal error: ..." lines: faults of the model, the minimiser or the smoothing.
  std::size_t InternalErrors() const;
  // The text of the first internal error after the first `skip` lines; empty when there is none.
  std::string FirstInternalError(std::size_t skip = 0) const;

  void SetListener(Listener listener);

  // Local time of day as hh:mm:ss.
  static std::string SystemTimeOfDay();

 private:
  TimeOfDay clock_;
  Listener listener_;
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::uint64_t generation_ = 0;  // counts the clearings
};

}  // namespace kavrel
