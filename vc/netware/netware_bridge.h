// The NetWare bridge: recognising archives on NetWare file servers and
// asking the server module there to keep file rights in step with renames
// and deletions.
//
// The NetWare client library and the IPX sockets stand behind two small
// interfaces, Client and Transport. This system has no NetWare client: the
// default client answers "missing", so every path counts as local and the
// callers take their local way. The request codec and the server table are
// complete and are exercised through doubles of both interfaces.
#pragma once

#include "vc/instance/instance.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vc::netware {

inline constexpr std::size_t kRequestSize = 316;
inline constexpr std::size_t kReplySize = 66;
inline constexpr std::size_t kWakeUpSize = 30;
inline constexpr std::size_t kUserOffset = 6;
inline constexpr std::size_t kUserMax = 48;
inline constexpr std::size_t kCodeOffset = 56;
inline constexpr std::size_t kPathOffset = 60;
inline constexpr std::size_t kOperandOffset = 188;
inline constexpr std::size_t kFieldSize = 128;
inline constexpr std::size_t kServerSlots = 20;
inline constexpr std::uint16_t kClientSocket = 0x6387;
inline constexpr std::uint16_t kServerSocket = 0x6287;

// Results.
inline constexpr int kNoServerName = 2;     // the path names no server
inline constexpr int kNotOnServer = 3;      // a local path
inline constexpr int kNoRevisionAccess = 102;
inline constexpr int kNotAnswering = 104;   // the server module did not answer before
inline constexpr int kClientMissing = 240;

// Operation codes of the server module.
enum Operation : std::uint16_t {
  kGetAccess = 1,
  kRemoveAccess = 2,
  kCreatorCanErase = 3,
  kDirRcsChmod = 4,
  kCloneAccess = 5,
  kRefreshAccessList = 6,
  kModuleStatus = 8,
  kDisplayAccessList = 11,
  kDisplayGrants = 12,
  kExitModule = 13,
  kRename = 14,
  kDeleteFile = 15,
};

struct ServerAddress {
  std::array<std::uint8_t, 4> network{};
  std::array<std::uint8_t, 6> node{};
  bool operator==(const ServerAddress&) const = default;
};

// A path as the client library parses it.
struct ServerPath {
  std::string server;
  std::uint32_t connection = 0;
  std::string volume;
  std::string path;
};

// The NetWare client library.
class Client {
 public:
  virtual ~Client() = default;
  // Loads and initialises the client: 0, or 240 when it is missing or fails.
  virtual int start() = 0;
  // 0 when the path lies on a NetWare server, 3 when it is local, else the
  // client's own code.
  virtual int parsePath(const std::string& path, ServerPath& out) = 0;
  // The network number and node address of a connection's server.
  virtual int serverAddress(std::uint32_t connection, ServerAddress& out) = 0;
  // The default connection's user name as the directory gives it, such as
  // "CN=name.OU=unit".
  virtual int connectionUserName(std::string& out) = 0;
  // Milliseconds since the system started.
  virtual std::uint32_t tickCount() = 0;
};

// The IPX datagram exchange with a server module: sends the wake-up
// datagram, then the request, and receives the reply (at most 66 bytes).
// 0 when a reply arrived; anything else is a failed exchange.
class Transport {
 public:
  virtual ~Transport() = default;
  virtual int exchange(const ServerAddress& server, std::span<const std::uint8_t> wakeUp,
                       std::span<const std::uint8_t> request, std::vector<std::uint8_t>& reply) = 0;
};

// The client and transport in use (null: the absent defaults). The caller
// keeps ownership; tests install doubles and put null back after.
void setClient(Client* client);
void setTransport(Transport* transport);

// ---- Codec ----------------------------------------------------------------

using Request = std::array<std::uint8_t, kRequestSize>;

// High half: (tick / 55) & 0xFFFF; low half: (CRC-16 of bytes 6-315 + tick)
// & 0xFFFF.
std::uint32_t checkWord(const Request& request, std::uint32_t tick);
// Writes "volume:path" into a 128-byte field; 12 when it does not fit.
int putServerPath(Request& request, std::size_t offset, const ServerPath& path);
// User (cut to 48 characters) and operation code; the rest stays as it is.
void putHeader(Request& request, const std::string& user, std::uint16_t code);
// The 30-byte wake-up datagram for a server.
std::array<std::uint8_t, kWakeUpSize> wakeUpDatagram(const ServerAddress& server);

// ---- Server table ---------------------------------------------------------

struct ServerEntry {
  ServerAddress address;
  std::uint32_t reply1 = 0, reply2 = 0;  // bytes 6 and 7 of the status reply
  std::uint32_t counter = 0;
  std::int32_t moduleStatus = -1;        // -1 unknown, 0 running, 1 no server module
  std::uint32_t flags = 0;               // 1 in use, 2 did not answer
};
inline constexpr std::uint32_t kEntryInUse = 1;
inline constexpr std::uint32_t kEntryNotAnswering = 2;

const std::array<ServerEntry, kServerSlots>& serverTable();
void clearServerTable();

// ---- Operations -------------------------------------------------------------

// Starts the client on first use; always 0 (a missing client makes every
// path local).
int nwInit(VcInstance& inst);
// 0 for a path on a NetWare server; 3 for a local path (always, without a
// client); else the client's code.
int nwCheckIfNetwarePath(VcInstance& inst, const char* user, const char* path);
// 0 when the server module runs; 222 when it does not answer; 3 local.
int nwIsNlmLoaded(VcInstance& inst, const char* user, const char* path);
// The module's version (byte 6 * 256 + byte 7), flags (byte 8) and third
// value (byte 9). 104 when the module did not answer before, 222 when it
// does not answer now.
int nwnlmFlags(VcInstance& inst, const char* user, const char* path, int* version, int* flags,
               int* third);
// 102 when the module's flags say it keeps no revision access.
int nwDeleteRevAccess(VcInstance& inst, const char* user, const char* path);
// The login name of the default connection ("CN=name.OU=unit" gives
// "name"); 240 without a client, 4 when it does not fit.
int nwGetLoginName(VcInstance& inst, char* buffer, int length);
// A request to the server module about path, with a second path (operations
// 4, 5 and 14) or none. 0 with the module's result word in *result; 3 for a
// local path; 104 when the module did not answer before and 222 when it does
// not answer now: the caller then does the work the local way or reports
// 222, never counts it as done. 12 when a path does not fit the request.
int nwOperation(VcInstance& inst, Operation code, const char* user, const char* path,
                const char* secondPath, int* result);
// Ends the session of the instance.
void nwExit(VcInstance& inst);

// Reply data of the last exchange (from offset 6).
const std::vector<std::uint8_t>& lastReply();

}  // namespace vc::netware
