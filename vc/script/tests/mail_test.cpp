// Mail through the CMC library: configuration in the mail profile, loading
// and binding, the notice shown once, and sending through a fake sendmail
// that records what it was given.
#include "vc/script/mail_bridge.h"
#include "vc/tests/support_script.h"

#include <sys/stat.h>

using namespace script_test;

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const char* const kNoticeText =
    "The CMC mail DLL has not been installed on this machine, so mail services are unavailable.  "
    "Both MAPI and CMC must be installed in order for mail to function properly.  For more "
    "information, see the MS Mail documentation.";

struct MailTest : ScriptTest {
  void SetUp() override {
    ScriptTest::SetUp();
    vc::resetMailState();
    ::setenv("ORV_SETTINGS", dir.c_str(), 1);
    // The fake sendmail keeps its arguments and the message it was fed.
    const std::string fake = write("fake-sendmail",
                                   "#!/bin/sh\n"
                                   "echo \"$@\" > \"" + dir + "/args\"\n"
                                   "cat > \"" + dir + "/message\"\n"
                                   "exit ${FAKE_SENDMAIL_EXIT:-0}\n");
    ::chmod(fake.c_str(), 0755);
    ::setenv("ORV_SENDMAIL", fake.c_str(), 1);
    ::unsetenv("FAKE_SENDMAIL_EXIT");
  }
  void TearDown() override {
    vc::resetMailState();
    ::unsetenv("ORV_SETTINGS");
    ::unsetenv("ORV_SENDMAIL");
    ScriptTest::TearDown();
  }
  void profile(const std::string& mailSection) { write("WIN.INI", "[Mail]\n" + mailSection); }
};

TEST_F(MailTest, UnconfiguredMailShowsTheNoticeOnceThenAnswers1) {
  EXPECT_EQ(vx_init(), 4);
  EXPECT_EQ(vx_init(), 1);
  EXPECT_EQ(vx_sendmail("a@b", "s", "t", 0), 1);
  EXPECT_EQ(echoes(), (std::vector<Echo>{{kNoticeText, "Orv Tessalyworkbench", 0, 0}}));
}

TEST_F(MailTest, WithoutAnEchoCallbackTheNoticeGoesToStandardError) {
  vcConfigRegisterEchoTrace(nullptr);
  profile("CMC=0\n");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(vx_init(), 4);
  EXPECT_EQ(vx_init(), 1);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, std::string("Orv Tessalyworkbench: ") + kNoticeText + "\n");
}

TEST_F(MailTest, AMissingLibraryAnswers2WithoutNotice) {
  profile("CMC=1\nCMCDLLNAME=nosuchmail.dll\n");
  EXPECT_EQ(vx_init(), 2);
  EXPECT_EQ(vx_init(), 1);
  EXPECT_TRUE(echoes().empty());
}

TEST_F(MailTest, ALibraryLackingAnEntryPointAnswers3AndIsUnloaded) {
  profile(std::string("CMC=1\nCMCDLLNAME=") + CMC_PARTIAL_PATH + "\n");
  EXPECT_EQ(vx_init(), 3);
  EXPECT_EQ(vx_init(), 3);  // unloaded, so tried again
  EXPECT_TRUE(echoes().empty());
}

TEST_F(MailTest, SendsThroughTheFakeSendmail) {
  profile(std::string("cmc=1\ncmcdllname=") + CMC_LIBRARY_PATH + "\n");
  ASSERT_EQ(vx_init(), 0);
  ASSERT_EQ(vx_sendmail("ann@example.org, cc:bob@example.org", "Lock broken", "Line 1\r\nLine 2", 0x1234), 0);
  EXPECT_EQ(readFile(dir + "/args"), "-oi -t\n");
  const std::string message = readFile(dir + "/message");
  EXPECT_NE(message.find("To: ann@example.org\n"), std::string::npos) << message;
  EXPECT_NE(message.find("Cc: bob@example.org\n"), std::string::npos) << message;
  EXPECT_NE(message.find("Subject: Lock broken\n"), std::string::npos) << message;
  EXPECT_NE(message.find("\n\nLine 1\nLine 2\n"), std::string::npos) << message;
  EXPECT_EQ(vx_exit(), 0);
  EXPECT_EQ(vx_init(), 0);  // loads again after vx_exit
}

TEST_F(MailTest, FailuresOfSendmailAndUnsafeHeadersAreReported) {
  profile(std::string("CMC=1\nCMCDLLNAME=") + CMC_LIBRARY_PATH + "\n");
  ::setenv("FAKE_SENDMAIL_EXIT", "75", 1);
  EXPECT_NE(vx_sendmail("ann@example.org", "s", "t", 0), 0);
  ::unsetenv("FAKE_SENDMAIL_EXIT");
  std::remove((dir + "/message").c_str());
  EXPECT_EQ(vx_sendmail("ann@example.org\nBcc: eve@example.org", "s", "t", 0), 16);
  EXPECT_EQ(vx_sendmail("ann@example.org", "s\r\nBcc: eve@example.org", "t", 0), 16);
  EXPECT_EQ(vx_sendmail(nullptr, "s", "t", 0), 16);
  EXPECT_FALSE(std::filesystem::exists(dir + "/message"));
}

TEST_F(MailTest, TheScriptMailFunctions) {
  profile(std::string("CMC=1\nCMCDLLNAME=") + CMC_LIBRARY_PATH + "\n");
  EXPECT_EQ(run("to=ann@example.org\n"
                "echo $mailinit()\n"
                "echo $mail($(to),Checked in $(to),The text,1f)\n"
                "echo [$mailexit()]\n"),
            0);
  EXPECT_EQ(texts(0), (std::vector<std::string>{"ok", "ok", "[]"}));
  const std::string message = readFile(dir + "/message");
  EXPECT_NE(message.find("To: ann@example.org\n"), std::string::npos) << message;
  EXPECT_NE(message.find("Subject: Checked in ann@example.org\n"), std::string::npos) << message;
  EXPECT_NE(message.find("\n\nThe text\n"), std::string::npos) << message;
}

TEST_F(MailTest, UnconfiguredScriptMailGivesNothing) {
  EXPECT_EQ(run("echo [$mail(a@b,s,t,0)]"), 0);
  EXPECT_EQ(texts(0), (std::vector<std::string>{kNoticeText, "[]"}));
}

struct LibraryNameCase {
  const char* profileName;
  const char* file;
};
void PrintTo(const LibraryNameCase& c, std::ostream* os) { *os << c.profileName; }

const LibraryNameCase kLibraryNames[] = {
    {"cmc.dll", "libcmc.so"},
    {"CMC.DLL", "libcmc.so"},
    {"mymail.dll", "libmymail.so"},
    {"libother.so", "libother.so"},
    {"/opt/mail/libcmc.so", "/opt/mail/libcmc.so"},
    {"C:\\mail\\cmc.dll", "C:/mail/cmc.dll"},
};

class MailLibraryNames : public ::testing::TestWithParam<LibraryNameCase> {};

TEST_P(MailLibraryNames, MapToTheFileLoaded) {
  EXPECT_EQ(vc::mailLibraryFile(GetParam().profileName), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(Names, MailLibraryNames, ::testing::ValuesIn(kLibraryNames));

}  // namespace
