// Statements of the script language: what reaches the callbacks and the
// spawner, in which order, and what ends a run.
#include "vc/script/config_file.h"
#include "vc/error_codes.h"
#include "vc/script/script_context.h"
#include "vc/tests/support_script.h"
#include "vc/config/option_state.h"

using namespace script_test;

namespace {

TEST_F(ScriptTest, EchoTraceAndErrorsReachTheCallbackInOrder) {
  const std::string path = write("trace.rc",
                                 "echo start\n"
                                 "trace 1\n"
                                 "x=1\n"
                                 "if x == 1\n"
                                 "echo in $(x)\n"
                                 "endif\n"
                                 "trace 0\n"
                                 "echo quiet\n"
                                 "echo $bad(\n"
                                 "echo never\n");
  EXPECT_EQ(vcReadConfig(path.c_str()), vc::err::kBadOptionLine);
  const std::vector<Echo> expected = {
      {"start", path, 1, 0},       {"x=1", path, 3, 1},     {"if x == 1", path, 4, 1},
      {"echo in $(x)", path, 5, 1}, {"in 1", path, 5, 0},   {"endif", path, 6, 1},
      {"trace 0", path, 7, 1},     {"quiet", path, 8, 0},   {"unknown operator", path, 9, 2},
  };
  EXPECT_EQ(echoes(), expected);
}

TEST_F(ScriptTest, DoneEndsTheFileWithoutError) {
  EXPECT_EQ(run("echo a\ndone\necho b"), 0);
  EXPECT_EQ(texts(0), std::vector<std::string>{"a"});
}

TEST_F(ScriptTest, ReadTakesAnotherFileIntoTheLocalList) {
  write("inner.rc", "inner=$(outer)\necho inner\n");
  EXPECT_EQ(run("outer=o\nread " + dir + "/inner.rc\nread " + dir + "/missing.rc\necho after"), 0);
  EXPECT_EQ(value("inner"), "o");
  EXPECT_EQ(texts(0), (std::vector<std::string>{"inner", "after"}));
}

TEST_F(ScriptTest, BlocksRunOnDemandAndReturnValues) {
  EXPECT_EQ(run("block seven\necho in seven\nreturn 3 + 4\necho never\nend\n"
                "block plain\necho plain\nend"),
            0);
  EXPECT_EQ(vcRunBlock("SEVEN", 0), vc::err::kDone);
  EXPECT_EQ(vcExtraError(), 7);
  EXPECT_EQ(vcRunBlock("plain", 0), 0);
  EXPECT_EQ(vcRunBlock("nosuch", 0), vc::err::kUnknownOption);
  EXPECT_EQ(vcRunBlock(nullptr, 0), vc::err::kBadArgument);
  EXPECT_EQ(texts(0), (std::vector<std::string>{"in seven", "plain"}));
  // A script error inside a block is reported with the block's line number.
  EXPECT_EQ(run("block broken\necho ok\nelse\nend"), 0);
  EXPECT_EQ(vcRunBlock("broken", 0), vc::err::kBadOptionLine);
  EXPECT_EQ(echoes().back(), (Echo{"else without if", "none", 2, 2}));
}

TEST_F(ScriptTest, CallInAFileEndsItWhenTheBlockReturns) {
  // Blocks of a file are in force once the file has been read.
  EXPECT_EQ(run("block giveback\nreturn 9\nend\necho $call(giveback)"), 0);
  EXPECT_EQ(run("echo $call(giveback)\ncall giveback\necho never"), vc::err::kDone);
  EXPECT_EQ(vcExtraError(), 9);
  EXPECT_EQ(texts(0), (std::vector<std::string>{"0", "9"}));
}

TEST_F(ScriptTest, ReadingABlockAgainReplacesIt) {
  EXPECT_EQ(run("block b\necho old\nend"), 0);
  EXPECT_EQ(run("block b\necho new\nend"), 0);
  EXPECT_EQ(optionsOf(inst()).local.blocks.size(), 1u);
  EXPECT_EQ(vcRunBlock("b", 0), 0);
  EXPECT_EQ(texts(0), std::vector<std::string>{"new"});
}

TEST_F(ScriptTest, AllRunsEveryBlockOfTheNameGlobalFirst) {
  optionsOf(inst()).global.blocks.push_back(vc::VcBlock{"both", 256, {"echo global"}});
  EXPECT_EQ(run("block both\necho local\nend"), 0);
  EXPECT_EQ(vcRunBlock("both", 1), 0);
  EXPECT_EQ(vcRunBlock("both", 0), 0);
  EXPECT_EQ(texts(0), (std::vector<std::string>{"global", "local", "local"}));
}

TEST_F(ScriptTest, EndAndBlockLinesOutOfPlaceAreSyntaxErrors) {
  vc::VcScriptContext ctx;
  ctx.instance = &inst();
  ctx.target = &optionsOf(inst()).local;
  ctx.lists = currentLists(inst());
  EXPECT_EQ(vc::processLine(ctx, "end"), vc::err::kBadOptionLine);
  EXPECT_EQ(vc::processLine(ctx, "block"), vc::err::kBadOptionLine);
  EXPECT_EQ(vc::processLine(ctx, "headers whatever"), 0);
  EXPECT_EQ(vc::processLine(ctx, "template x y"), 0);
}

TEST_F(ScriptTest, TemporaryOptionsAreNotWrittenBack) {
  EXPECT_EQ(run("keep=1\ngone=1\nEnforcefixed=1\ntemporary gone, fresh fixed"), 0);
  const vc::VcOption* gone = optionsOf(inst()).local.find("gone");
  const vc::VcOption* fresh = optionsOf(inst()).local.find("fresh");
  ASSERT_TRUE(gone && fresh);
  EXPECT_TRUE(gone->flags & vc::kOptTemporary);
  EXPECT_TRUE(fresh->flags & vc::kOptTemporary);
  EXPECT_FALSE(fresh->value.has_value());
  EXPECT_FALSE(optionsOf(inst()).local.find("fixed")->flags & vc::kOptTemporary);
  const std::string out = dir + "/written.rc";
  ASSERT_EQ(vcWriteConfig(out.c_str()), 0);
  std::ifstream in(out);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Written oldest first, in the order the script set them.
  EXPECT_EQ(text, "keep=1\nEnforcefixed=1\n");
}

TEST_F(ScriptTest, ExecStartsTheExpandedCommandThroughTheSpawner) {
  spawner.result = orv::platform::kStartFileNotFound;
  EXPECT_EQ(run("prog=tool\n"
                "exec $(prog) \"a b\" c\n"
                "exec $(prog) -q, SW_HIDE\n"
                "exec $(prog),7\n"
                "echo $exec(other x,sw_show)\n"
                "system never started,3\n"
                "if 0\nexec skipped\nendif"),
            0);
  ASSERT_EQ(spawner.starts.size(), 4u);
  EXPECT_EQ(spawner.starts[0].command_line, "tool \"a b\" c");
  EXPECT_EQ(spawner.starts[0].show_mode, 1);
  EXPECT_EQ(spawner.starts[1].command_line, "tool -q");
  EXPECT_EQ(spawner.starts[1].show_mode, 0);
  EXPECT_EQ(spawner.starts[2].show_mode, 7);
  EXPECT_EQ(spawner.starts[3].command_line, "other x");
  EXPECT_EQ(spawner.starts[3].show_mode, 5);
  EXPECT_EQ(texts(0), std::vector<std::string>{"2"});
}

TEST_F(ScriptTest, LibraryEntriesReapFinishedPrograms) {
  const int before = spawner.reap_calls;
  vcRunBlock("nosuch", 0);
  EXPECT_GT(spawner.reap_calls, before);
}

struct SharedCase {
  const char* script;
  const char* message;
};
void PrintTo(const SharedCase& c, std::ostream* os) { *os << c.script; }

const SharedCase kSharedCases[] = {
    {"exec rm -rf /", "exec is not allowed in project files and policies"},
    {"echo $exec(rm x)", "exec is not allowed in project files and policies"},
    {"exit 3", "exit is not allowed in project files and policies"},
    {"block sneaky\nexec tool\nend\ncall sneaky", "exec is not allowed in project files and policies"},
    {"echo $call(sneaky)", "exec is not allowed in project files and policies"},
};

class SharedSources : public ScriptTest, public ::testing::WithParamInterface<SharedCase> {};

TEST_P(SharedSources, MayNotStartProgramsOrEndTheProcess) {
  write("sneaky.rc", "block sneaky\nexec tool\nend\n");
  ASSERT_EQ(vcReadConfig((dir + "/sneaky.rc").c_str()), 0);
  const std::string path = write("shared.rc", GetParam().script);
  // A project file is read the way the project reader will: as a shared source.
  int rc = vc::readConfigFile(inst(), path, optionsOf(inst()).local, 0, true);
  EXPECT_TRUE(rc == 28 || rc == 0);  // a `call` hands back its block's 28 as a line result
  EXPECT_TRUE(spawner.starts.empty());
  ASSERT_FALSE(texts(2).empty());
  EXPECT_EQ(texts(2)[0], GetParam().message);
  // The same block run on its own (an event, a caller's block) may start it.
  EXPECT_EQ(vcRunBlock("sneaky", 0), 0);
  EXPECT_EQ(spawner.starts.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Statements, SharedSources, ::testing::ValuesIn(kSharedCases));

TEST_F(ScriptTest, PolicyStatementsMayNotStartPrograms) {
  vcAPIcleanup();
  const std::string policy = write("policy.txt", "policyset=1\nexec tool\n");
  ::setenv("ORV_KEL_POLICY_FILE", policy.c_str(), 1);
  ASSERT_EQ(vcAPIinitRegister(nullptr, recordEcho, answerQuery), 0);
  ::unsetenv("ORV_KEL_POLICY_FILE");
  EXPECT_EQ(value("policyset"), "1");
  EXPECT_TRUE(spawner.starts.empty());
  ASSERT_EQ(echoes().size(), 1u);
  EXPECT_EQ(echoes()[0], (Echo{"exec is not allowed in project files and policies", "Orv TY KEL", 2, 2}));
}

// Armed only inside the death test's child process.
bool g_noteCleanupArmed = false;
void noteCleanup(vc::VcInstance&) {
  if (g_noteCleanupArmed) std::fputs("instance cleaned up\n", stderr);
}
vc::CleanupRegistration g_noteCleanup(&noteCleanup);

using ScriptDeathTest = ScriptTest;

TEST_F(ScriptDeathTest, ExitCleansUpTheInstanceAndEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        g_noteCleanupArmed = true;
        run("echo bye\nexit 3\necho never");
      },
      ::testing::ExitedWithCode(3), "instance cleaned up");
}

}  // namespace

namespace {

// A real program start: the words go to the program without a shell.
TEST_F(ScriptTest, ExecRunsTheProgramWithItsWords) {
  orv::platform::PosixSpawner posix;
  vc::seams().spawner = &posix;
  ASSERT_EQ(vcSetConfig("where", dir.c_str()), 0);
  EXPECT_EQ(run("exec touch \"$(where)/with space\" $(where)/plain;name\n"
                "echo $exec(no-such-program-here)"),
            0);
  posix.wait_all();
  EXPECT_TRUE(std::filesystem::exists(dir + "/with space"));
  EXPECT_TRUE(std::filesystem::exists(dir + "/plain;name"));
  EXPECT_EQ(texts(0), std::vector<std::string>{"2"});
  vc::seams().spawner = &spawner;
}

// Callbacks may call back into the library while a script runs.
int g_nestedResult = -1;
int echoThatRunsABlock(const char* text, const char*, int, int kind) {
  recordEcho(text, "", 0, kind);
  if (kind == 0 && std::string(text) == "outer 1") g_nestedResult = vcRunBlock("inner", 0);
  return 0;
}

TEST_F(ScriptTest, ABlockRunFromInsideACallbackLeavesTheOuterRunIntact) {
  vcConfigRegisterEchoTrace(echoThatRunsABlock);
  EXPECT_EQ(run("block inner\nif 0\necho inner skipped\nelse\necho inner\nreturn 4\nend\n"
                "block outer\nif 1\necho outer 1\necho outer 2\nendif\nreturn 6\nend"),
            0);
  EXPECT_EQ(vcRunBlock("outer", 0), vc::err::kDone);
  EXPECT_EQ(vcExtraError(), 6);
  EXPECT_EQ(g_nestedResult, vc::err::kDone);
  EXPECT_EQ(texts(0), (std::vector<std::string>{"outer 1", "inner", "outer 2"}));
}

}  // namespace

namespace {

TEST_F(ScriptTest, SelfCallingBlocksAndSelfReadingFilesEndInAScriptError) {
  EXPECT_EQ(run("block again\ncall again\nend"), 0);
  EXPECT_EQ(vcRunBlock("again", 0), 0);  // the innermost run answers 28 to its `call`
  ASSERT_FALSE(texts(2).empty());
  EXPECT_EQ(texts(2)[0], "call nested too deep");
  echoes().clear();
  const std::string self = dir + "/self.rc";
  EXPECT_EQ(run("read " + self, "self.rc"), 0);
  ASSERT_EQ(texts(2).size(), 1u);
  EXPECT_EQ(texts(2)[0], "call nested too deep");
}

}  // namespace
