// The command server's language: one table of execute texts and what they
// give, and the server's refusals.
#include <gtest/gtest.h>

#include "workbench/app/execute_command.h"

namespace orv::workbench::app {
namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

struct ParseCase {
  const char* name;
  std::string text;
  std::optional<ExecuteVerb> verb;  // nothing: refused
  std::vector<std::string> args;
};

class ParseExecute : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseExecute, Gives) {
  const ParseCase& c = GetParam();
  auto r = parseExecute(c.text, lower);
  ASSERT_EQ(r.has_value(), c.verb.has_value());
  if (!r) return;
  EXPECT_EQ(r->verb, *c.verb);
  EXPECT_EQ(r->args, c.args);
}

using namespace std::string_literals;
using V = ExecuteVerb;

INSTANTIATE_TEST_SUITE_P(
    Table, ParseExecute,
    ::testing::Values(
        ParseCase{"TwoArgsFolded", "OpenArchive /Src/A.c /src/b.c ;", V::openArchive,
                  {"/src/a.c", "/src/b.c"}},
        ParseCase{"AboutNoBlank", "About;", V::about, {}},
        ParseCase{"AboutBlank", "About ;", V::about, {}},
        ParseCase{"NoArgs", "OpenArchive ;", V::openArchive, {}},
        ParseCase{"WordWithSemicolon", "OpenArchive;", std::nullopt, {}},
        ParseCase{"NoSemicolon", "OpenArchive a.c", std::nullopt, {}},
        ParseCase{"Empty", "", std::nullopt, {}},
        ParseCase{"OnlyBlanks", "   \t ", std::nullopt, {}},
        ParseCase{"NulSeparated", "OpenProject\0a.pj\0B.pj\0;\0"s, V::openProject,
                  {"a.pj", "b.pj"}},
        ParseCase{"LeadingBlanks", "  \t CheckIn x.c ;", V::checkIn, {"x.c"}},
        ParseCase{"RunOfBlanks", "Diff a   b ;", V::diff, {"a", "b"}},
        ParseCase{"SemicolonKeptOnLastArg", "CheckOut a.c;", V::checkOut, {"a.c;"}},
        ParseCase{"HelpByPrefix", "Helpme ;", V::help, {}},
        ParseCase{"ConfigurationByPrefix", "Configuration ;", V::configuration, {}},
        ParseCase{"WordCaseMatters", "openarchive a ;", std::nullopt, {}},
        ParseCase{"UnknownWord", "Frobnicate a ;", std::nullopt, {}},
        ParseCase{"BytesAfterSemicolonIgnored", "Convert a ; junk", V::convert, {"a"}},
        ParseCase{"SemicolonAfterFirstNulMeansNulMode", "OpenArchive a.c\0;"s, std::nullopt, {}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ParseExecuteLimits, MoreThanTheCapRunsWithTheFirstArguments) {
  std::string text = "CreateArchive";
  for (int i = 0; i < 300; ++i) text += " f" + std::to_string(i);
  auto r = parseExecute(text + " ;", lower);
  ASSERT_TRUE(r);
  ASSERT_EQ(r->args.size(), kMaxExecuteArgs);
  EXPECT_EQ(r->args.back(), "f297");
  // Past the cap the ';' is still required.
  EXPECT_FALSE(parseExecute(text, lower));
}

TEST(ParseExecuteLimits, ReadsOnlyTheGivenBytes) {
  // A view whose bytes go on past its length: the ';' behind it is not seen.
  std::string backing = "About ;";
  EXPECT_FALSE(parseExecute(std::string_view(backing.data(), 5), lower));
  EXPECT_TRUE(parseExecute(std::string_view(backing.data(), 7), lower));
}

struct RecordingSink : ExecuteSink {
  void runCommand(const ExecuteCommand& c) override { ran.push_back(c); }
  bool canRun(const ExecuteCommand& c) const override { return c.verb != ExecuteVerb::checkOut; }
  std::vector<ExecuteCommand> ran;
};

TEST(ExecuteServer, AnswersAndRefusals) {
  RecordingSink sink;
  ExecuteServer server(sink, lower);
  EXPECT_EQ(server.execute("About ;"), kExecuteAccepted);
  EXPECT_EQ(server.execute("About"), kExecuteRefused);
  server.setBusy(true);
  EXPECT_EQ(server.execute("About ;"), kExecuteRefused);
  server.setBusy(false);
  {
    LibraryCallScope inCall(server);
    EXPECT_EQ(server.execute("OpenArchive a.c ;"), kExecuteRefused);
  }
  EXPECT_EQ(server.execute("OpenArchive a.c ;"), kExecuteAccepted);
  // A command the workbench has nothing to run for is refused, not run.
  EXPECT_EQ(server.execute("CheckOut a.c ;"), kExecuteRefused);
  ASSERT_EQ(sink.ran.size(), 2u);
  EXPECT_EQ(sink.ran[1].args, std::vector<std::string>{"a.c"});
  EXPECT_TRUE(ExecuteServer::acceptsService("Revision Server"));
  EXPECT_FALSE(ExecuteServer::acceptsService("revision server"));
  EXPECT_FALSE(ExecuteServer::acceptsService("Revision Server "));
}

}  // namespace
}  // namespace orv::workbench::app
