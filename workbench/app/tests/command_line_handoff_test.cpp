// The first copy's handling of hand-offs and requests, without a socket.
#include <gtest/gtest.h>

#include "platform/ui/testing/scripted_ui.h"
#include "workbench/app/command_line_handoff.h"

namespace orv::workbench::app {
namespace {

TEST(CommandLineNames, EachWordIsOneNameAndResolves) {
  const std::vector<std::string> names{"a.pj", "my file, v2.c", "\tc.c"};
  EXPECT_EQ(splitNames(joinNames(names)), names);
  EXPECT_EQ(splitNames(std::string("a.c\0\0b.c", 9)), (std::vector<std::string>{"a.c", "b.c"}));
  EXPECT_TRUE(splitNames("").empty());
  EXPECT_TRUE(splitNames(joinNames({})).empty());
  EXPECT_EQ(resolveAgainst("/home/u", "a.pj"), "/home/u/a.pj");
  EXPECT_EQ(resolveAgainst("/", "a.pj"), "/a.pj");
  EXPECT_EQ(resolveAgainst("/home/u/", "sub/a.pj"), "/home/u/sub/a.pj");
  EXPECT_EQ(resolveAgainst("/home/u", "/src/b.c"), "/src/b.c");
}

struct NullSink : ExecuteSink {
  void runCommand(const ExecuteCommand&) override { ++runs; }
  int runs = 0;
};

TEST(ShellRequestHandler, HandoffsArePostedEachWithItsOwnNames) {
  ui::testing::ScriptedUi ui;
  NullSink sink;
  ExecuteServer server(sink, nullptr);
  std::vector<HandedCommandLine> opened;
  ShellRequestHandler handler(ui, server, [&](const HandedCommandLine& h) { opened.push_back(h); });
  handler.postOwnCommandLine("/w", {"own.c"});
  EXPECT_EQ(handler.onHandoff("/one", joinNames({"a.pj", "b c.c"}), ""), 0u);
  EXPECT_EQ(handler.onHandoff("/two", "", "tok"), 0u);
  EXPECT_TRUE(opened.empty()) << "nothing opens inside the socket handler";
  EXPECT_EQ(ui.runPosted(), 3);
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[0].names, std::vector<std::string>{"/w/own.c"});
  EXPECT_FALSE(opened[0].fromSecondCopy);
  EXPECT_EQ(opened[1].names, (std::vector<std::string>{"/one/a.pj", "/one/b c.c"}));
  EXPECT_TRUE(opened[1].fromSecondCopy);
  EXPECT_TRUE(opened[2].names.empty());
  EXPECT_EQ(opened[2].activationToken, "tok");
  EXPECT_EQ(handler.onConnect("Revision Server", "anything"), 1u);
  EXPECT_EQ(handler.onConnect("Revision", "System"), 0u);
  EXPECT_EQ(handler.onExecute("About ;"), kExecuteAccepted);
  EXPECT_EQ(sink.runs, 1);
}

TEST(Handoff, PayloadLayout) {
  EXPECT_EQ(handoffPayload("/w", joinNames({"a b", "c"}), "t"), std::string("/w\0t\0a b\0c\0", 11));
}

}  // namespace
}  // namespace orv::workbench::app
