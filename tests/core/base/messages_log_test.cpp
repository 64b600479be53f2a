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

}  // namespace
}  // namespace kavrel
