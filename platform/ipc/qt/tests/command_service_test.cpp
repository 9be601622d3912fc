// The command socket served from the main loop: a client that connects and
// says nothing neither holds the loop nor keeps others from being answered,
// and goes once it has been silent for the idle time; frames that arrive in
// pieces are answered whole; an oversized frame drops its sender.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <future>
#include <poll.h>
#include <sys/socket.h>

#include "platform/ipc/qt/command_service.h"
#include "testing/temp_dir.h"

namespace orv::ipc::qt {
namespace {

constexpr int kWaitMs = 10000;  // an upper bound, never a pacing

struct Counter : RequestHandler {
  std::uint32_t onHandoff(const std::string&, const std::string&, const std::string&) override { return 0; }
  std::uint32_t onConnect(const std::string& service, const std::string&) override {
    return service == "Revision Server" ? 1 : 0;
  }
  std::uint32_t onExecute(const std::string&) override {
    ++executes;
    return 0x8000;
  }
  int executes = 0;
};

// True once the peer has closed fd (end of file or reset).
bool closedByPeer(int fd) {
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, 0) != 1) return false;
  char c;
  return ::recv(fd, &c, 1, MSG_DONTWAIT) <= 0;
}

struct CommandServiceTest : ::testing::Test {
  test::TempDir dir;
  std::string path = dir.file("k.sock");
  std::optional<CommandServer> server;
  Counter handler;

  void SetUp() override {
    Claim claim = claimSocket(path, kWaitMs);
    ASSERT_TRUE(claim.server) << claim.error;
    server = std::move(claim.server);
    server->setRefuseOwnProcess(false);
  }
  // Runs the main loop until the future is ready.
  template <typename T>
  void awaitReady(std::future<T>& f) {
    QTRY_VERIFY_WITH_TIMEOUT(f.wait_for(std::chrono::seconds(0)) == std::future_status::ready, kWaitMs);
  }
};

TEST_F(CommandServiceTest, ASilentClientHoldsNothingAndIsDroppedWhenIdle) {
  {
    CommandService service(*server, handler, 10 * kWaitMs);
    Fd silent = connectTo(path, kWaitMs);
    ASSERT_TRUE(silent);
    // A partial frame: the service must not wait for the rest.
    ASSERT_EQ(::send(silent.get(), "\3\0", 2, MSG_NOSIGNAL), 2);
    QTRY_COMPARE_WITH_TIMEOUT(service.clientCount(), 1, kWaitMs);

    // Another client is answered while the first says nothing more.
    auto other = std::async(std::launch::async, [&] {
      Fd fd = connectTo(path, kWaitMs);
      std::vector<std::optional<std::uint32_t>> answers;
      answers.push_back(request(fd.get(), kFrameConnect, std::string("Revision Server\0System\0", 23), kWaitMs));
      answers.push_back(request(fd.get(), kFrameExecute, std::string("Open(a.pj)"), kWaitMs));
      return answers;
    });
    awaitReady(other);
    ASSERT_EQ(other.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    const auto answers = other.get();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0], 1u);
    EXPECT_EQ(answers[1], 0x8000u);
    EXPECT_FALSE(closedByPeer(silent.get()));
    QTRY_COMPARE_WITH_TIMEOUT(service.clientCount(), 1, kWaitMs);  // the other has gone
  }
  // Silent past the idle time: dropped, and nothing is left of it.
  CommandService service(*server, handler, 300);
  Fd silent = connectTo(path, kWaitMs);
  ASSERT_TRUE(silent);
  QTRY_VERIFY_WITH_TIMEOUT(closedByPeer(silent.get()), kWaitMs);
  QTRY_COMPARE_WITH_TIMEOUT(service.clientCount(), 0, kWaitMs);
}

TEST_F(CommandServiceTest, FramesInPiecesAreAnsweredWholeAndOversizedOnesDropTheirSender) {
  CommandService service(*server, handler, kWaitMs);
  Fd client = connectTo(path, kWaitMs);
  ASSERT_TRUE(client);
  // Two frames, sent a byte at a time with the loop running between bytes.
  const std::string bytes = encodeFrame(kFrameExecute, "About") + encodeFrame(kFrameExecute, "Help");
  for (char c : bytes) {
    ASSERT_EQ(::send(client.get(), &c, 1, MSG_NOSIGNAL), 1);
    QCoreApplication::processEvents();
  }
  QTRY_COMPARE_WITH_TIMEOUT(handler.executes, 2, kWaitMs);
  for (int i = 0; i < 2; ++i) {
    const std::optional<Frame> reply = readFrame(client.get(), kWaitMs);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->payload, std::string("\0\x80\0\0", 4));
  }

  std::string header = encodeFrame(kFrameExecute, "");
  const std::uint32_t tooLong = kMaxPayload + 1;
  for (int i = 0; i < 4; ++i) header[4 + i] = static_cast<char>((tooLong >> (8 * i)) & 0xff);
  ASSERT_EQ(::send(client.get(), header.data(), header.size(), MSG_NOSIGNAL), static_cast<ssize_t>(header.size()));
  QTRY_VERIFY_WITH_TIMEOUT(closedByPeer(client.get()), kWaitMs);
  EXPECT_EQ(handler.executes, 2);
}

}  // namespace
}  // namespace orv::ipc::qt
