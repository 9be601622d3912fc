// Frames over a Unix-domain stream socket, the claim of the socket by the
// first copy, and the serving of one client at a time. Every wait is
// bounded: a client that stops talking is dropped after the timeout and the
// main loop goes on.
#include "platform/ipc/command_socket.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>

#include "platform/sys/system_calls.h"

namespace orv::ipc {

namespace {

std::int64_t nowMs() {
  timespec ts{};
  sys::calls().clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Waits until fd is ready for events or the deadline passes.
bool waitFor(int fd, short events, std::int64_t deadline) {
  for (;;) {
    std::int64_t left = deadline - nowMs();
    if (left < 0) left = 0;
    pollfd p{fd, events, 0};
    int n = sys::calls().poll(&p, 1, static_cast<int>(left));
    if (n > 0) return true;
    if (n == 0) {
      errno = ETIMEDOUT;
      return false;
    }
    if (errno != EINTR) return false;
  }
}

bool readExactly(int fd, char* out, std::size_t len, std::int64_t deadline) {
  while (len > 0) {
    if (!waitFor(fd, POLLIN, deadline)) return false;
    ssize_t n = sys::calls().read(fd, out, len);
    if (n == 0) return false;
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return false;
    }
    out += n;
    len -= static_cast<std::size_t>(n);
  }
  return true;
}

void putU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

std::uint32_t getU32(const char* p) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}

// The address of path; false (ENAMETOOLONG) when it does not fit.
bool socketAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) {
    errno = ENAMETOOLONG;
    return false;
  }
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

Fd newSocket() {
  return Fd(sys::calls().socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
}

// The NUL-terminated field at pos of payload, moving pos past its NUL.
std::string field(const std::string& payload, std::size_t& pos) {
  std::size_t end = payload.find('\0', pos);
  if (end == std::string::npos) end = payload.size();
  std::string out = payload.substr(pos, end - pos);
  pos = end < payload.size() ? end + 1 : end;
  return out;
}

std::uint32_t answer(RequestHandler& handler, const Frame& f) {
  std::size_t pos = 0;
  switch (f.type) {
    case kFrameHandoff: {
      std::string cwd = field(f.payload, pos);
      std::string token = field(f.payload, pos);
      return handler.onHandoff(cwd, f.payload.substr(pos), token);
    }
    case kFrameConnect: {
      std::string service = field(f.payload, pos);
      return handler.onConnect(service, field(f.payload, pos));
    }
    case kFrameExecute:
      return handler.onExecute(f.payload);
    default:
      return 0;
  }
}

}  // namespace

Fd& Fd::operator=(Fd&& o) noexcept {
  if (this != &o) {
    if (fd_ >= 0) sys::calls().close(fd_);
    fd_ = o.release();
  }
  return *this;
}

Fd::~Fd() {
  if (fd_ >= 0) sys::calls().close(fd_);
}

int Fd::release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

std::string encodeFrame(std::uint32_t type, std::string_view payload) {
  std::string out;
  putU32(out, type);
  putU32(out, static_cast<std::uint32_t>(payload.size()));
  out.append(payload);
  return out;
}

std::optional<Frame> readFrame(int fd, int timeoutMs) {
  const std::int64_t deadline = nowMs() + timeoutMs;
  char header[8];
  if (!readExactly(fd, header, sizeof header, deadline)) return std::nullopt;
  Frame f;
  f.type = getU32(header);
  std::uint32_t len = getU32(header + 4);
  if (len > kMaxPayload) {
    errno = EMSGSIZE;
    return std::nullopt;
  }
  f.payload.resize(len);
  if (!readExactly(fd, f.payload.data(), len, deadline)) return std::nullopt;
  return f;
}

bool writeFrame(int fd, std::uint32_t type, std::string_view payload, int timeoutMs) {
  if (payload.size() > kMaxPayload) {
    errno = EMSGSIZE;
    return false;
  }
  const std::int64_t deadline = nowMs() + timeoutMs;
  std::string bytes = encodeFrame(type, payload);
  std::size_t done = 0;
  while (done < bytes.size()) {
    if (!waitFor(fd, POLLOUT, deadline)) return false;
    // MSG_NOSIGNAL: a peer that went away is an error here, not a SIGPIPE.
    ssize_t n = sys::calls().send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

Fd connectTo(const std::string& path, int timeoutMs) {
  sockaddr_un addr;
  if (!socketAddress(path, addr)) return Fd();
  Fd fd = newSocket();
  if (!fd) return fd;
  if (sys::calls().connect(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return fd;
  if (errno != EINPROGRESS && errno != EAGAIN) return Fd();
  // A full backlog: the copy is there but not answering yet.
  if (!waitFor(fd.get(), POLLOUT, nowMs() + timeoutMs)) return Fd();
  int err = 0;
  socklen_t len = sizeof err;
  if (sys::calls().getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &err, &len) != 0) return Fd();
  if (err != 0) {
    errno = err;
    return Fd();
  }
  return fd;
}

std::optional<std::uint32_t> request(int fd, std::uint32_t type, std::string_view payload,
                                     int timeoutMs) {
  if (!writeFrame(fd, type, payload, timeoutMs)) return std::nullopt;
  auto reply = readFrame(fd, timeoutMs);
  if (!reply || reply->payload.size() != 4) {
    if (reply) errno = EPROTO;
    return std::nullopt;
  }
  return getU32(reply->payload.data());
}

Claim claimSocket(const std::string& path, int connectTimeoutMs) {
  Claim claim;
  sockaddr_un addr;
  if (!socketAddress(path, addr)) {
    claim.error = errno;
    return claim;
  }
  const std::string lockPath = path + ".lock";
  Fd lock(sys::calls().open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!lock || sys::calls().flock(lock.get(), LOCK_EX) != 0) {
    claim.error = errno;
    return claim;
  }
  claim.client = connectTo(path, connectTimeoutMs);
  if (claim.client) return claim;
  if (errno != ENOENT && errno != ECONNREFUSED) {
    claim.error = errno;
    return claim;
  }
  // Nobody listens: a socket file left behind by a copy that ended goes.
  sys::calls().unlink(path.c_str());
  Fd listener = newSocket();
  if (!listener ||
      sys::calls().bind(listener.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      sys::calls().listen(listener.get(), 16) != 0) {
    claim.error = errno;
    return claim;
  }
  claim.server.emplace(std::move(listener), path);
  return claim;
}

CommandServer::~CommandServer() {
  if (listener_) sys::calls().unlink(path_.c_str());
}

bool CommandServer::peerAllowed(int fd) const {
  ucred cred{};
  socklen_t len = sizeof cred;
  if (sys::calls().getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return false;
  if (cred.uid != sys::calls().geteuid()) return false;
  return !(refuseOwnProcess_ && cred.pid == sys::calls().getpid());
}

std::optional<ClientSession> CommandServer::acceptClient() {
  Fd client(sys::calls().accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (!client || !peerAllowed(client.get())) return std::nullopt;
  return ClientSession(std::move(client));
}

bool ClientSession::serveAvailable(RequestHandler& handler) {
  char chunk[4096];
  // At most this much per call, so a client that never stops sending
  // cannot hold the loop; the rest is read on the next call.
  for (std::size_t taken = 0; taken < 16 * sizeof chunk;) {
    const ssize_t n = sys::calls().read(fd_.get(), chunk, sizeof chunk);
    if (n == 0) return false;
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) break;
      return false;
    }
    pending_.append(chunk, static_cast<std::size_t>(n));
    taken += static_cast<std::size_t>(n);
    for (;;) {
      if (pending_.size() < 8) break;
      const std::uint32_t len = getU32(pending_.data() + 4);
      if (len > kMaxPayload) return false;
      if (pending_.size() < 8 + static_cast<std::size_t>(len)) break;
      Frame f;
      f.type = getU32(pending_.data());
      f.payload = pending_.substr(8, len);
      pending_.erase(0, 8 + static_cast<std::size_t>(len));
      std::string reply;
      putU32(reply, answer(handler, f));
      // A reply the socket cannot take at once drops the client rather
      // than wait for it.
      if (!writeFrame(fd_.get(), f.type, reply, 0)) return false;
    }
  }
  return true;
}

bool CommandServer::serveOne(RequestHandler& handler, int timeoutMs) {
  Fd client(sys::calls().accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (!client) return false;
  if (!peerAllowed(client.get())) return true;  // dropped unanswered
  while (auto frame = readFrame(client.get(), timeoutMs)) {
    std::string reply;
    putU32(reply, answer(handler, *frame));
    if (!writeFrame(client.get(), frame->type, reply, timeoutMs)) break;
  }
  return true;
}

}  // namespace orv::ipc
