// The command socket: frames, the claim of the socket, the server's answers
// and refusals, and the socket's directory. Client and server run in one
// process (a thread for the client), with every wait bounded.
#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include "platform/ipc/command_socket.h"
#include "platform/ipc/socket_path.h"
#include "platform/sys/fault_injection.h"
#include "testing/temp_dir.h"

namespace orv::ipc {
namespace {

constexpr int kWaitMs = 10000;  // an upper bound, never a pacing

struct Recorder : RequestHandler {
  std::uint32_t onHandoff(const std::string& cwd, const std::string& line,
                          const std::string& token) override {
    std::string shown;
    for (char c : line) shown += c ? std::string(1, c) : std::string("\\0");
    log += "handoff[" + cwd + "|" + shown + "|" + token + "]";
    return 0;
  }
  std::uint32_t onConnect(const std::string& service, const std::string& topic) override {
    log += "connect[" + service + "|" + topic + "]";
    return service == "Revision Server" ? 1 : 0;
  }
  std::uint32_t onExecute(const std::string& text) override {
    log += "execute[" + std::to_string(text.size()) + "]";
    return 0x8000;
  }
  std::string log;
};

// Serves the next client; fails the test instead of hanging.
void serveNext(CommandServer& server, RequestHandler& handler) {
  pollfd p{server.fd(), POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, kWaitMs), 1) << "no client came";
  EXPECT_TRUE(server.serveOne(handler, kWaitMs));
}

TEST(CommandSocket, FirstClaimListensSecondConnectsAndIsAnswered) {
  test::TempDir dir;
  const std::string path = dir.file("k.sock");
  Claim first = claimSocket(path, kWaitMs);
  ASSERT_TRUE(first.server) << first.error;
  first.server->setRefuseOwnProcess(false);
  auto client = std::async(std::launch::async, [&] {
    Claim second = claimSocket(path, kWaitMs);
    std::vector<std::optional<std::uint32_t>> answers;
    if (!second.client) return answers;
    int fd = second.client.get();
    answers.push_back(request(fd, kFrameHandoff, std::string("/home/u\0tok\0a.pj\0b c.c\0", 23), kWaitMs));
    answers.push_back(request(fd, kFrameConnect, std::string("Revision Server\0System\0", 23), kWaitMs));
    answers.push_back(request(fd, kFrameConnect, std::string("Other\0System\0", 13), kWaitMs));
    answers.push_back(request(fd, kFrameExecute, std::string("About\0;", 7), kWaitMs));
    answers.push_back(request(fd, 99, "x", kWaitMs));
    return answers;
  });
  Recorder rec;
  serveNext(*first.server, rec);
  auto answers = client.get();
  ASSERT_EQ(answers.size(), 5u);
  EXPECT_EQ(answers[0], 0u);
  EXPECT_EQ(answers[1], 1u);
  EXPECT_EQ(answers[2], 0u);
  EXPECT_EQ(answers[3], 0x8000u);
  EXPECT_EQ(answers[4], 0u);
  EXPECT_EQ(rec.log,
            "handoff[/home/u|a.pj\\0b c.c\\0|tok]connect[Revision Server|System]connect[Other|System]"
            "execute[7]");
}

TEST(CommandSocket, OwnProcessIsRefusedUnanswered) {
  test::TempDir dir;
  Claim first = claimSocket(dir.file("k.sock"), kWaitMs);
  ASSERT_TRUE(first.server);
  auto client = std::async(std::launch::async, [&] {
    Fd fd = connectTo(dir.file("k.sock"), kWaitMs);
    return fd ? request(fd.get(), kFrameExecute, "About ;", kWaitMs) : std::nullopt;
  });
  Recorder rec;
  serveNext(*first.server, rec);
  EXPECT_FALSE(client.get());
  EXPECT_EQ(rec.log, "");
}

TEST(CommandSocket, StaleSocketFileIsTakenOver) {
  test::TempDir dir;
  const std::string path = dir.file("k.sock");
  {
    // A socket file whose listener is gone, as after a crash.
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
  }
  Claim claim = claimSocket(path, kWaitMs);
  EXPECT_TRUE(claim.server);
  claim.server.reset();
  struct stat st {};
  EXPECT_NE(::stat(path.c_str(), &st), 0) << "the listener removes its socket file";
}

TEST(CommandSocket, FailuresAreReported) {
  test::TempDir dir;
  {
    sys::ScopedFault<&sys::SystemCalls::bind> fault(EACCES);
    Claim claim = claimSocket(dir.file("k.sock"), kWaitMs);
    EXPECT_FALSE(claim.server);
    EXPECT_FALSE(claim.client);
    EXPECT_EQ(claim.error, EACCES);
  }
  Claim tooLong = claimSocket(dir.file(std::string(200, 'n')), kWaitMs);
  EXPECT_EQ(tooLong.error, ENAMETOOLONG);
}

TEST(CommandSocket, OversizedOrCutFramesAreDropped) {
  int sv[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
  Fd a(sv[0]), b(sv[1]);
  std::string big = encodeFrame(kFrameExecute, "");
  big[4] = big[5] = big[6] = '\x7f';  // a length over the limit
  ASSERT_EQ(::write(a.get(), big.data(), big.size()), 8);
  EXPECT_FALSE(readFrame(b.get(), kWaitMs));
  std::string cut = encodeFrame(kFrameExecute, "About ;").substr(0, 10);
  ASSERT_EQ(::write(a.get(), cut.data(), cut.size()), 10);
  a = Fd();
  EXPECT_FALSE(readFrame(b.get(), kWaitMs));
  EXPECT_FALSE(writeFrame(b.get(), kFrameExecute, std::string(kMaxPayload + 1, 'x'), kWaitMs));
}

TEST(CommandSocket, WritingToAPeerThatLeftFailsWithoutASignal) {
  int sv[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
  Fd a(sv[0]);
  ::close(sv[1]);
  EXPECT_FALSE(writeFrame(a.get(), kFrameExecute, "About ;", kWaitMs));
  EXPECT_EQ(errno, EPIPE);
}

class SocketPathEnv : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* n : kNames) {
      const char* v = std::getenv(n);
      saved_.push_back(v ? std::optional<std::string>(v) : std::nullopt);
      ::unsetenv(n);
    }
  }
  void TearDown() override {
    for (std::size_t i = 0; i < saved_.size(); ++i) {
      if (saved_[i]) ::setenv(kNames[i], saved_[i]->c_str(), 1);
      else ::unsetenv(kNames[i]);
    }
  }
  static constexpr const char* kNames[] = {"ORVTY_INSTANCE_KEY", "WAYLAND_DISPLAY", "DISPLAY",
                                           "XDG_RUNTIME_DIR"};
  std::vector<std::optional<std::string>> saved_;
};

TEST_F(SocketPathEnv, DisplayKeys) {
  EXPECT_EQ(displayKey(), "nodisplay");
  ::setenv("DISPLAY", ":0", 1);
  EXPECT_EQ(displayKey(), "x0");
  ::setenv("WAYLAND_DISPLAY", "wayland-1", 1);
  EXPECT_EQ(displayKey(), "wayland-1");
  ::setenv("ORVTY_INSTANCE_KEY", "t/1", 1);
  EXPECT_EQ(displayKey(), "t_1");
}

TEST_F(SocketPathEnv, DirectoryIsPrivate) {
  test::TempDir dir;
  ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  ::setenv("ORVTY_INSTANCE_KEY", "k", 1);
  EXPECT_EQ(prepareSocketPath(), dir.path() + "/orvty/k.sock");
  // Each program listens in its own folder.
  EXPECT_EQ(prepareSocketPath("vardel"), dir.path() + "/vardel/k.sock");
  struct stat st {};
  ASSERT_EQ(::stat((dir.path() + "/orvty").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ::chmod((dir.path() + "/orvty").c_str(), 0755);
  EXPECT_EQ(prepareSocketPath(), "");
}

}  // namespace
}  // namespace orv::ipc
