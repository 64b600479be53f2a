#include "core/base/messages_log.h"

#include <regex>
#include <thread>

#include <gtest/gtest.h>

namespace kavrel {
namespace {

TEST(MessagesLogTest, LinesCarryTimeAndTextInOrder) {
  MessagesLog log([] { return std::string("09:15:02"); });
  log.AddMessage("Kavrel started");
  log.AddMessage("Internal error: basic equations");
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"  09:15:02# Kavrel started",
                                                   "  09:15:02# Internal error: basic equations"}));
  EXPECT_EQ(log.CountOf("Kavrel started"), 1u);
  log.Clear();
  log.AddMessage("after clearing");
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"  09:15:02# after clearing"});
}

TEST(MessagesLogTest, SystemClockAndListener) {
  MessagesLog log;
  std::vector<std::string> heard;
  log.SetListener([&](const std::string& line) { heard.push_back(line); });
  log.AddMessage("hello");
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0], log.Lines()[0]);
  EXPECT_TRUE(std::regex_match(heard[0], std::regex("  [0-2][0-9]:[0-5][0-9]:[0-6][0-9]# hello")));
}

TEST(MessagesLogTest, SeveralThreadsMayLog) {
  MessagesLog log([] { return std::string("00:00:00"); });
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int k = 0; k < 500; ++k) log.AddMessage("x");
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(log.Count(), 2000u);
}

// A reader that keeps its place gets only the new lines; after a clearing, all of them again.
TEST(MessagesLogTest, NewLinesSinceTheReadersPlace) {
  MessagesLog log([] { return std::string("00:00:00"); });
  log.AddMessage("a");
  log.AddMessage("b");
  MessagesLog::Slice slice = log.LinesFrom(0, 0);
  EXPECT_EQ(slice.Lines.size(), 2u);
  log.AddMessage("c");
  slice = log.LinesFrom(slice.Generation, slice.First + slice.Lines.size());
  ASSERT_EQ(slice.Lines.size(), 1u);
  EXPECT_EQ(slice.First, 2u);
  EXPECT_EQ(slice.Lines[0], "  00:00:00# c");
  const std::uint64_t before = slice.Generation;
  log.Clear();
  for (const char* text : {"d", "e", "f", "g"}) log.AddMessage(text);
  slice = log.LinesFrom(before, 3);
  EXPECT_NE(slice.Generation, before);
  EXPECT_EQ(slice.First, 0u);
  ASSERT_EQ(slice.Lines.size(), 4u);
  EXPECT_EQ(slice.Lines[0], "  00:00:00# d");
}

}  // namespace
}  // namespace kavrel
