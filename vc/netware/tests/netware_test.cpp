// The NetWare bridge: without a client every path is local; with doubles of
// the client and the transport, the request bytes, the check word, the
// server table and the answers of the operations.
#include "vc/archive/format/crc16.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/netware/netware_bridge.h"
#include "vc/instance/seams.h"
#include "vc/tests/support_kel_double.h"
#include "vc/netware/netware_state.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace nw = vc::netware;

namespace {

// CRC-16/ARC bit by bit, as an independent check of the shared routine.
std::uint16_t crcArc(const std::uint8_t* p, std::size_t n) {
  std::uint16_t crc = 0;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int b = 0; b < 8; ++b) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}

// Paths "SERVER/VOLUME:rest" lie on a server; others are local.
struct FakeClient : nw::Client {
  int starts = 0;
  int start() override {
    ++starts;
    return 0;
  }
  int parsePath(const std::string& path, nw::ServerPath& out) override {
    const std::size_t colon = path.find(':'), slash = path.find('/');
    if (colon == std::string::npos || slash == std::string::npos || slash > colon) return nw::kNotOnServer;
    out.server = path.substr(0, slash);
    out.volume = path.substr(slash + 1, colon - slash - 1);
    out.path = path.substr(colon + 1);
    out.connection = out.server == "SRV2" ? 2 : 1;
    return 0;
  }
  int serverAddress(std::uint32_t connection, nw::ServerAddress& out) override {
    out.network = {0xC0, 0xA8, 0x00, static_cast<std::uint8_t>(connection)};
    out.node = {1, 2, 3, 4, 5, 6};
    return 0;
  }
  int connectionUserName(std::string& out) override {
    out = login;
    return 0;
  }
  std::uint32_t tickCount() override { return 5555; }
  std::string login = "CN=jdoe.OU=dev.O=corp";
};

// Records each exchange and answers with a scripted reply.
struct FakeTransport : nw::Transport {
  int calls = 0;
  std::vector<std::uint8_t> lastWake, lastRequest;
  bool answer = true;
  bool spoilCheckWord = false;
  std::uint16_t resultWord = 0;
  std::vector<std::uint8_t> data;  // reply bytes from offset 6
  int exchange(const nw::ServerAddress&, std::span<const std::uint8_t> wake,
               std::span<const std::uint8_t> request, std::vector<std::uint8_t>& reply) override {
    ++calls;
    lastWake.assign(wake.begin(), wake.end());
    lastRequest.assign(request.begin(), request.end());
    if (!answer) return -1;
    reply.assign(request.begin(), request.begin() + 4);
    if (spoilCheckWord) reply[0] ^= 1;
    reply.push_back(static_cast<std::uint8_t>(resultWord));
    reply.push_back(static_cast<std::uint8_t>(resultWord >> 8));
    reply.insert(reply.end(), data.begin(), data.end());
    return 0;
  }
};

struct NetWareTest : ::testing::Test {
  FakeClient client;
  FakeTransport transport;
  void SetUp() override {
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
  }
  void TearDown() override {
    vcAPIcleanup();
    nw::setClient(nullptr);
    nw::setTransport(nullptr);
    nw::clearServerTable();
  }
  vc::VcInstance& inst() { return *vc::currentInstance(); }
  void useDoubles() {
    nw::setClient(&client);
    nw::setTransport(&transport);
  }
};

TEST(NetWareCodec, SharedCrcIsCrc16Arc) {
  const char* text = "123456789";
  EXPECT_EQ(vc::archive::crc16Update(0, text, 9), 0xBB3D);
}

TEST_F(NetWareTest, WithoutAClientEveryPathIsLocal) {
  int result = -1;
  EXPECT_EQ(nw::nwInit(inst()), 0);
  EXPECT_EQ(netwareOf(inst()).clientStatus, nw::kClientMissing);
  EXPECT_EQ(nw::nwCheckIfNetwarePath(inst(), "u", "SRV/VOL:dir/a.c,v"), nw::kNotOnServer);
  EXPECT_EQ(nw::nwIsNlmLoaded(inst(), "u", "SRV/VOL:x"), nw::kNotOnServer);
  EXPECT_EQ(nw::nwOperation(inst(), nw::kRename, "u", "SRV/VOL:a", "SRV/VOL:b", &result), nw::kNotOnServer);
  char name[32];
  EXPECT_EQ(nw::nwGetLoginName(inst(), name, sizeof name), nw::kClientMissing);
  EXPECT_EQ(nwSendString("u", "SRV/VOL:x", "t", 11), nw::kNotOnServer);
}

TEST_F(NetWareTest, GoldenRequestAndCheckWord) {
  useDoubles();
  const std::string user(60, 'u');  // cut to 48
  transport.resultWord = 7;
  int result = 0;
  ASSERT_EQ(nw::nwOperation(inst(), nw::kRename, user.c_str(), "SRV\\VOL:dir/old.c", "SRV/VOL:dir/new.c",
                            &result),
            0);
  EXPECT_EQ(result, 7);
  ASSERT_EQ(transport.lastRequest.size(), 316u);

  std::vector<std::uint8_t> want(316, 0);
  std::memset(want.data() + 6, 'u', 48);
  want[56] = 14;
  std::memcpy(want.data() + 60, "VOL:dir/old.c", 13);
  std::memcpy(want.data() + 188, "VOL:dir/new.c", 13);
  const std::uint32_t tick = 5555;
  const std::uint32_t check = ((tick / 55) << 16) | ((crcArc(want.data() + 6, 310) + tick) & 0xFFFF);
  for (int i = 0; i < 4; ++i) want[i] = static_cast<std::uint8_t>(check >> (8 * i));
  EXPECT_EQ(transport.lastRequest, want);

  std::vector<std::uint8_t> wake(30, 0);
  wake[5] = 4;
  const std::uint8_t addr[] = {0xC0, 0xA8, 0, 1, 1, 2, 3, 4, 5, 6, 0x62, 0x87};
  std::memcpy(wake.data() + 6, addr, sizeof addr);
  EXPECT_EQ(transport.lastWake, wake);
}

TEST_F(NetWareTest, AServerThatDidNotAnswerIsSkippedWithoutTraffic) {
  useDoubles();
  transport.spoilCheckWord = true;  // a reply that is not ours counts as none
  int result = 0;
  EXPECT_EQ(nw::nwOperation(inst(), nw::kDeleteFile, "u", "SRV/VOL:a", nullptr, &result), vc::err::kNlmError);
  EXPECT_EQ(transport.calls, 1);
  EXPECT_EQ(transport.lastRequest[56], 15) << "what was sent";
  const nw::ServerEntry& e = nw::serverTable()[0];
  EXPECT_EQ(e.flags, nw::kEntryInUse | nw::kEntryNotAnswering);
  EXPECT_EQ(e.moduleStatus, 1);

  EXPECT_EQ(nw::nwOperation(inst(), nw::kRename, "u", "SRV/VOL:a", "SRV/VOL:b", &result), nw::kNotAnswering);
  EXPECT_EQ(nw::nwIsNlmLoaded(inst(), "u", "SRV/VOL:a"), vc::err::kNlmError) << "not reported as running";
  int flags = 9;
  EXPECT_EQ(nw::nwnlmFlags(inst(), "u", "SRV/VOL:a", nullptr, &flags, nullptr), nw::kNotAnswering);
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(transport.calls, 1);

  // Another server is still asked.
  transport.spoilCheckWord = false;
  EXPECT_EQ(nw::nwOperation(inst(), nw::kGetAccess, "u", "SRV2/VOL:a", nullptr, &result), 0);
  EXPECT_EQ(transport.calls, 2);
}

TEST_F(NetWareTest, ModuleStatusAndFlags) {
  useDoubles();
  transport.data = {0x02, 0x05, 0x01, 0x09};
  int version = 0, flags = 0, third = 0;
  ASSERT_EQ(nw::nwnlmFlags(inst(), "u", "SRV/VOL:a", &version, &flags, &third), 0);
  EXPECT_EQ(version, 0x0205);
  EXPECT_EQ(flags, 1);
  EXPECT_EQ(third, 9);
  EXPECT_EQ(nw::nwDeleteRevAccess(inst(), "u", "SRV/VOL:a"), 0);
  transport.data[2] = 0;
  EXPECT_EQ(nw::nwDeleteRevAccess(inst(), "u", "SRV/VOL:a"), nw::kNoRevisionAccess);

  EXPECT_EQ(nw::nwIsNlmLoaded(inst(), "u", "SRV/VOL:a"), 0);
  const int calls = transport.calls;
  EXPECT_EQ(nw::nwIsNlmLoaded(inst(), "u", "SRV/VOL:a"), 0) << "known: no second request";
  EXPECT_EQ(transport.calls, calls);
  transport.answer = false;
  EXPECT_EQ(nw::nwIsNlmLoaded(inst(), "u", "SRV2/VOL:a"), vc::err::kNlmError);
}

TEST_F(NetWareTest, PathsAndOperandsThatDoNotFitAreRefused) {
  useDoubles();
  int result = 0;
  const std::string longPath = "SRV/VOL:" + std::string(124, 'p');  // "VOL:" + 124 = 128 bytes
  EXPECT_EQ(nw::nwOperation(inst(), nw::kGetAccess, "u", longPath.c_str(), nullptr, &result),
            vc::err::kInternalBufferExceeded);
  EXPECT_EQ(nw::nwOperation(inst(), nw::kRename, "u", "SRV/VOL:a", longPath.c_str(), &result),
            vc::err::kInternalBufferExceeded);
  EXPECT_EQ(nwSendString("u", "SRV/VOL:a", std::string(128, 't').c_str(), 11), vc::err::kInternalBufferExceeded);
  std::uint8_t bytes[129] = {};
  EXPECT_EQ(nwSendV("u", "SRV/VOL:a", bytes, 129, 11), vc::err::kInternalBufferExceeded);
  EXPECT_EQ(transport.calls, 0);
  EXPECT_EQ(nw::nwOperation(inst(), nw::kGetAccess, "u", "/local/file", nullptr, &result), nw::kNotOnServer);
  EXPECT_EQ(nw::nwOperation(inst(), nw::kGetAccess, "u", "/VOL:x", nullptr, &result), nw::kNoServerName);
}

TEST_F(NetWareTest, RawSendersAndResults) {
  useDoubles();
  transport.resultWord = 3;
  transport.data = {10, 11, 12, 13};
  EXPECT_EQ(nwSendWordLong("u", "SRV/VOL:a", 0x01020304u, 0xAABBCCDDu, 6), 3);
  const std::uint8_t words[] = {4, 3, 2, 1, 0xDD, 0xCC, 0xBB, 0xAA};
  EXPECT_EQ(std::memcmp(transport.lastRequest.data() + 188, words, 8), 0);
  EXPECT_EQ(transport.lastRequest[56], 6);
  unsigned char out[4] = {};
  EXPECT_EQ(nwResults(out, 2), 0);
  EXPECT_EQ(out[1], 11);
  EXPECT_EQ(nwResultsIndex(out, 2, 2), 0);
  EXPECT_EQ(out[0], 12);
  EXPECT_EQ(nwResultsIndex(out, 59, 2), vc::err::kBadArgument);
  EXPECT_EQ(nwSendString("u", "SRV/VOL:a", "hello", 12), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(transport.lastRequest.data() + 188)), "hello");
}

TEST_F(NetWareTest, LoginName) {
  useDoubles();
  char name[16] = {};
  ASSERT_EQ(nw::nwGetLoginName(inst(), name, sizeof name), 0);
  EXPECT_STREQ(name, "jdoe");
  char small[3];
  EXPECT_EQ(nw::nwGetLoginName(inst(), small, sizeof small), vc::err::kBufferTooSmall);
}

}  // namespace
