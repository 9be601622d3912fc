// The workbench's command socket: how a second copy hands its command line
// to the running one, and how other programs send it commands.
//
// Every message is a frame: u32 type, u32 length, then length bytes, both
// numbers little-endian. Each request gets one reply frame holding a u32:
//   handoff  cwd NUL activation token NUL command line    -> 0 (queued)
//            (the command line runs to the end and may hold NULs)
//   connect  service NUL topic NUL                        -> 1 accepted / 0
//   execute  the raw execute text (NULs allowed)          -> 0x8000 / 0
//   anything else                                         -> 0
// The server speaks only to processes of the same user, never to its own.
// "Connect, else bind" runs under an flock of "<socket>.lock", so two
// copies started together cannot both become the first.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace orv::ipc {

enum FrameType : std::uint32_t {
  kFrameHandoff = 1,
  kFrameConnect = 2,
  kFrameExecute = 3,
};

// The largest payload either side takes.
constexpr std::uint32_t kMaxPayload = 64 * 1024;

struct Frame {
  std::uint32_t type = 0;
  std::string payload;
};

std::string encodeFrame(std::uint32_t type, std::string_view payload);

// What the server does with requests; it answers with the returned value.
class RequestHandler {
 public:
  virtual ~RequestHandler() = default;
  virtual std::uint32_t onHandoff(const std::string& cwd, const std::string& commandLine,
                                  const std::string& activationToken) = 0;
  virtual std::uint32_t onConnect(const std::string& service, const std::string& topic) = 0;
  virtual std::uint32_t onExecute(const std::string& text) = 0;
};

// Descriptor owner.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& o) noexcept : fd_(o.release()) {}
  Fd& operator=(Fd&& o) noexcept;
  ~Fd();
  int get() const { return fd_; }
  int release();
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Reads one frame within timeoutMs; nothing on end of file, a timeout, a
// payload over kMaxPayload or an error.
std::optional<Frame> readFrame(int fd, int timeoutMs);
bool writeFrame(int fd, std::uint32_t type, std::string_view payload, int timeoutMs);

// One accepted client, served as its bytes arrive and never waited for:
// the main loop watches fd() for readability and calls serveAvailable().
class ClientSession {
 public:
  explicit ClientSession(Fd fd) : fd_(std::move(fd)) {}
  int fd() const { return fd_.get(); }
  // Reads what has arrived and answers every whole frame in it. False when
  // the client is finished and is to be dropped: it closed, failed, sent a
  // payload over kMaxPayload, or cannot take a reply at once.
  bool serveAvailable(RequestHandler& handler);

 private:
  Fd fd_;
  std::string pending_;  // the bytes of a frame not yet whole
};

class CommandServer {
 public:
  CommandServer(Fd listener, std::string path) : listener_(std::move(listener)), path_(std::move(path)) {}
  CommandServer(CommandServer&&) = default;
  CommandServer& operator=(CommandServer&&) = default;
  ~CommandServer();

  // Listening descriptor, for the main loop to watch for readability.
  int fd() const { return listener_.get(); }
  const std::string& path() const { return path_; }
  // Refuses peers of this process (default); tests in one process turn it off.
  void setRefuseOwnProcess(bool refuse) { refuseOwnProcess_ = refuse; }

  // Accepts one waiting client (if any) and serves its requests until it
  // closes or is silent for timeoutMs. False when nobody was served.
  bool serveOne(RequestHandler& handler, int timeoutMs);
  // Accepts one waiting client for serving as its bytes arrive; nothing
  // when none waits or the peer is refused (dropped unanswered).
  std::optional<ClientSession> acceptClient();

 private:
  bool peerAllowed(int fd) const;

  Fd listener_;
  std::string path_;
  bool refuseOwnProcess_ = true;
};

// The outcome of claiming the socket: either we listen (first copy) or we
// are connected to the copy that does.
struct Claim {
  std::optional<CommandServer> server;  // set: we are the first copy
  Fd client;                            // valid: another copy answers
  int error = 0;                        // neither: errno of the failure
};

// Connects to the running copy at path, else binds and listens there.
Claim claimSocket(const std::string& path, int connectTimeoutMs);

// Connects to the copy listening at path; an invalid Fd with errno set.
Fd connectTo(const std::string& path, int timeoutMs);
// Sends one request and waits for its u32 answer.
std::optional<std::uint32_t> request(int fd, std::uint32_t type, std::string_view payload,
                                     int timeoutMs);

}  // namespace orv::ipc
