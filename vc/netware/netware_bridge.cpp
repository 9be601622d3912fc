// The NetWare bridge: request codec, server table, the exchange with a
// server module, and the operations the archive code asks for. See
// netware_bridge.h for the client and transport seams.
#include "vc/netware/netware_bridge.h"

#include "vc/archive/format/crc16.h"
#include "vc/error_codes.h"
#include "vc/paths/path_name.h"
#include "vc/netware/netware_state.h"
#include "platform/fs/path_separators.h"

#include <cstring>

namespace vc::netware {
namespace {

// No NetWare client on this system: every path is local.
class AbsentClient : public Client {
 public:
  int start() override { return kClientMissing; }
  int parsePath(const std::string&, ServerPath&) override { return kNotOnServer; }
  int serverAddress(std::uint32_t, ServerAddress&) override { return kClientMissing; }
  int connectionUserName(std::string&) override { return kClientMissing; }
  std::uint32_t tickCount() override { return 0; }
};

// No IPX transport either: every exchange fails.
class AbsentTransport : public Transport {
 public:
  int exchange(const ServerAddress&, std::span<const std::uint8_t>, std::span<const std::uint8_t>,
               std::vector<std::uint8_t>&) override {
    return -1;
  }
};

AbsentClient g_absentClient;
AbsentTransport g_absentTransport;
Client* g_client = &g_absentClient;
Transport* g_transport = &g_absentTransport;

std::array<ServerEntry, kServerSlots> g_servers;
std::vector<std::uint8_t> g_lastReply;  // data from offset 6 of the last reply

void putLittle16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void putLittle32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

ServerEntry* findOrAddServer(const ServerAddress& address) {
  for (ServerEntry& e : g_servers)
    if ((e.flags & kEntryInUse) && e.address == address) return &e;
  for (ServerEntry& e : g_servers) {
    if (e.flags == 0) {
      e = ServerEntry{};
      e.address = address;
      e.flags = kEntryInUse;
      return &e;
    }
  }
  return nullptr;  // a full table: the server is asked without being remembered
}

struct Prepared {
  Request request{};
  ServerAddress address;
  ServerEntry* entry = nullptr;
};

int parseServerPath(const char* pathArg, ServerPath& out) {
  if (!pathArg) return err::kBadArgument;
  if (int rc = g_client->parsePath(orv::fs::forward_slashes(pathArg), out)) return rc;
  if (out.server.empty()) return kNoServerName;
  return 0;
}

// Clears the request, finds the server of path and fills in the header and
// the first path. 104 for a server whose module did not answer before.
int prepare(VcInstance& inst, Operation code, const char* user, const char* path, Prepared& p) {
  nwInit(inst);
  if (netwareOf(inst).clientStatus != 0) return kNotOnServer;
  ServerPath sp;
  if (int rc = parseServerPath(path, sp)) return rc;
  if (int rc = g_client->serverAddress(sp.connection, p.address)) return rc;
  p.entry = findOrAddServer(p.address);
  if (p.entry && (p.entry->flags & kEntryNotAnswering)) return kNotAnswering;
  if (int rc = putServerPath(p.request, kPathOffset, sp)) return rc;
  putHeader(p.request, user ? user : "", code);
  return 0;
}

// Sends the request and checks the reply: 0 with the result word, or 222
// after marking the server as not answering.
int exchange(Prepared& p, int& resultWord) {
  const std::uint32_t tick = g_client->tickCount();
  putLittle32(p.request.data(), checkWord(p.request, tick));
  const auto wake = wakeUpDatagram(p.address);
  std::vector<std::uint8_t> reply;
  const int rc = g_transport->exchange(p.address, wake, p.request, reply);
  if (reply.size() > kReplySize) reply.resize(kReplySize);
  if (rc == 0 && reply.size() >= 6 && std::memcmp(reply.data(), p.request.data(), 4) == 0) {
    resultWord = reply[4] | (reply[5] << 8);
    g_lastReply.assign(reply.begin() + 6, reply.end());
    return 0;
  }
  putLittle16(p.request.data() + kCodeOffset, 0xFFFF);
  if (p.entry) {
    p.entry->flags |= kEntryNotAnswering;
    p.entry->moduleStatus = 1;
    p.entry->counter = 0;
  }
  g_lastReply.clear();
  return err::kNlmError;
}

std::uint8_t replyByte(std::size_t offsetFromSix) {
  return offsetFromSix < g_lastReply.size() ? g_lastReply[offsetFromSix] : 0;
}

}  // namespace

void setClient(Client* client) { g_client = client ? client : &g_absentClient; }
void setTransport(Transport* transport) { g_transport = transport ? transport : &g_absentTransport; }

std::uint32_t checkWord(const Request& request, std::uint32_t tick) {
  const std::uint16_t crc =
      vc::archive::crc16Update(0, request.data() + kUserOffset, kRequestSize - kUserOffset);
  const std::uint32_t high = (tick / 55) & 0xFFFF;
  const std::uint32_t low = (crc + tick) & 0xFFFF;
  return (high << 16) | low;
}

int putServerPath(Request& request, std::size_t offset, const ServerPath& path) {
  const std::string joined = path.volume + ":" + path.path;
  if (joined.size() >= kFieldSize) return err::kInternalBufferExceeded;
  std::memset(request.data() + offset, 0, kFieldSize);
  std::memcpy(request.data() + offset, joined.data(), joined.size());
  return 0;
}

void putHeader(Request& request, const std::string& user, std::uint16_t code) {
  std::memset(request.data() + kUserOffset, 0, kCodeOffset - kUserOffset);
  std::memcpy(request.data() + kUserOffset, user.data(), std::min(user.size(), kUserMax));
  putLittle16(request.data() + kCodeOffset, code);
  putLittle16(request.data() + kCodeOffset + 2, 0);
}

std::array<std::uint8_t, kWakeUpSize> wakeUpDatagram(const ServerAddress& server) {
  std::array<std::uint8_t, kWakeUpSize> d{};
  d[5] = 4;  // packet type
  std::memcpy(d.data() + 6, server.network.data(), 4);
  std::memcpy(d.data() + 10, server.node.data(), 6);
  d[16] = static_cast<std::uint8_t>(kServerSocket >> 8);  // network byte order
  d[17] = static_cast<std::uint8_t>(kServerSocket & 0xFF);
  return d;
}

const std::array<ServerEntry, kServerSlots>& serverTable() { return g_servers; }
void clearServerTable() { g_servers.fill(ServerEntry{}); }
const std::vector<std::uint8_t>& lastReply() { return g_lastReply; }

int nwInit(VcInstance& inst) {
  if (netwareOf(inst).clientStatus == kNetWareNotTried) {
    const int rc = g_client->start();
    netwareOf(inst).moduleStatus = rc == 0 ? 0 : kClientMissing;
    netwareOf(inst).clientStatus = rc == 0 ? 0 : kClientMissing;
    if (rc == 0) clearServerTable();
  }
  return 0;
}

int nwCheckIfNetwarePath(VcInstance& inst, const char* user, const char* path) {
  (void)user;
  nwInit(inst);
  if (netwareOf(inst).clientStatus != 0) return kNotOnServer;
  ServerPath sp;
  if (!path) return err::kBadArgument;
  return g_client->parsePath(orv::fs::forward_slashes(path), sp);
}

int nwIsNlmLoaded(VcInstance& inst, const char* user, const char* path) {
  Prepared p;
  const int rc = prepare(inst, kModuleStatus, user, path, p);
  if (rc == kNotAnswering) return err::kNlmError;
  if (rc) return rc;
  if (p.entry && p.entry->moduleStatus == 0) return 0;
  int word = 0;
  if (exchange(p, word)) return err::kNlmError;
  if (p.entry) {
    p.entry->reply1 = replyByte(0);
    p.entry->reply2 = replyByte(1);
    p.entry->moduleStatus = 0;
  }
  return 0;
}

int nwnlmFlags(VcInstance& inst, const char* user, const char* path, int* version, int* flags,
               int* third) {
  if (version) *version = 0;
  if (flags) *flags = 0;
  if (third) *third = 0;
  Prepared p;
  if (int rc = prepare(inst, kModuleStatus, user, path, p)) return rc;
  int word = 0;
  if (int rc = exchange(p, word)) return rc;
  if (version) *version = replyByte(0) * 256 + replyByte(1);
  if (flags) *flags = replyByte(2);
  if (third) *third = replyByte(3);
  return 0;
}

int nwDeleteRevAccess(VcInstance& inst, const char* user, const char* path) {
  int flags = 0;
  if (int rc = nwnlmFlags(inst, user, path, nullptr, &flags, nullptr)) return rc;
  return flags == 0 ? kNoRevisionAccess : 0;
}

int nwGetLoginName(VcInstance& inst, char* buffer, int length) {
  if (!buffer || length < 1) return err::kBadArgument;
  nwInit(inst);
  if (netwareOf(inst).clientStatus != 0) return kClientMissing;
  std::string full;
  if (int rc = g_client->connectionUserName(full)) return rc;
  const std::size_t eq = full.find('=');
  std::string name = eq == std::string::npos ? full : full.substr(eq + 1);
  name = name.substr(0, name.find('.'));
  return copyResult(&inst, name, buffer, length);
}

int nwOperation(VcInstance& inst, Operation code, const char* user, const char* path,
                const char* secondPath, int* result) {
  if (result) *result = 0;
  Prepared p;
  if (int rc = prepare(inst, code, user, path, p)) return rc;
  if (secondPath) {
    ServerPath second;
    if (int rc = parseServerPath(secondPath, second)) return rc;
    if (int rc = putServerPath(p.request, kOperandOffset, second)) return rc;
  }
  int word = 0;
  if (int rc = exchange(p, word)) return rc;
  if (result) *result = word;
  return 0;
}

void nwExit(VcInstance& inst) {
  netwareOf(inst).moduleStatus = kNetWareNotTried;
  netwareOf(inst).clientStatus = kNetWareNotTried;
}

namespace {

CleanupRegistration g_endSession(&nwExit);

// The raw senders: a prepared request with an operand, exchanged at once.
template <class Fill>
int sendRaw(const char* user, const char* path, int code, Fill&& fill) {
  VcInstance* inst = currentInstance();
  if (!inst) return err::kBadCaller;
  if (code < 0 || code > 0xFFFF) return err::kBadArgument;
  Prepared p;
  if (int rc = prepare(*inst, static_cast<Operation>(code), user, path, p)) return rc;
  if (int rc = fill(p.request.data() + kOperandOffset)) return rc;
  int word = 0;
  if (int rc = exchange(p, word)) return rc;
  return word;
}

int copyReply(unsigned char* buffer, int offset, int count) {
  if (!buffer || offset < 0 || count < 0) return err::kBadArgument;
  const std::size_t room = kReplySize - 6;
  if (static_cast<std::size_t>(offset) + static_cast<std::size_t>(count) > room)
    return err::kBadArgument;
  for (int i = 0; i < count; ++i) buffer[i] = replyByte(static_cast<std::size_t>(offset + i));
  return 0;
}

}  // namespace
}  // namespace vc::netware

namespace vc {

VcNetWareState& netwareOf(VcInstance& inst) { return instancePart<VcNetWareState>(inst); }

}  // namespace vc

using namespace vc;
using namespace vc::netware;

extern "C" {

VC_API int nwSendString(const char* user, const char* path, const char* text, int code) {
  return guarded([&] {
    return sendRaw(user, path, code, [&](std::uint8_t* operand) {
      if (!text) return err::kBadArgument;
      const std::size_t n = std::strlen(text);
      if (n >= kFieldSize) return err::kInternalBufferExceeded;
      std::memcpy(operand, text, n);
      return 0;
    });
  });
}

VC_API int nwSendV(const char* user, const char* path, const void* bytes, int count, int code) {
  return guarded([&] {
    return sendRaw(user, path, code, [&](std::uint8_t* operand) {
      if ((!bytes && count > 0) || count < 0) return err::kBadArgument;
      if (static_cast<std::size_t>(count) > kFieldSize) return err::kInternalBufferExceeded;
      if (count > 0) std::memcpy(operand, bytes, static_cast<std::size_t>(count));
      return 0;
    });
  });
}

VC_API int nwSendWordLong(const char* user, const char* path, unsigned int first, unsigned int second,
                          int code) {
  return guarded([&] {
    return sendRaw(user, path, code, [&](std::uint8_t* operand) {
      putLittle32(operand, first);
      putLittle32(operand + 4, second);
      return 0;
    });
  });
}

VC_API int nwResults(unsigned char* buffer, int count) {
  return guarded([&] { return copyReply(buffer, 0, count); });
}

VC_API int nwResultsIndex(unsigned char* buffer, int offset, int count) {
  return guarded([&] { return copyReply(buffer, offset, count); });
}

}  // extern "C"
