// The hand-over socket: one listening thread per process, one record per
// connection, every size checked before the bytes behind it are read.
#include "platform/handover.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "host/host_input.h"

namespace qz::handover {
namespace {

constexpr int kPeerTimeoutMs = 2000;  // a peer that stalls longer is dropped
constexpr std::size_t kScanHeaderBytes = 16;
constexpr uint32_t kMaxScanSide = 65535;
constexpr uint8_t kTaken = 1;

uint64_t fnv1a(const std::string& s) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : s) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  return h;
}

uint32_t u32le(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

void putU32le(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// A folder only this user may enter, made when missing.
bool privateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
  return (st.st_mode & 0077) == 0 || ::chmod(path.c_str(), 0700) == 0;
}

bool fillAddress(const std::string& path, sockaddr_un* addr) {
  std::memset(addr, 0, sizeof(*addr));
  addr->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof(addr->sun_path)) return false;
  std::memcpy(addr->sun_path, path.c_str(), path.size());
  return true;
}

// Waits for the descriptor to be ready; false on timeout or error.
bool waitFor(int fd, short events, int timeoutMs) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int r = ::poll(&p, 1, timeoutMs);
    if (r > 0) return true;
    if (r == 0 || errno != EINTR) return false;
  }
}

bool readAll(int fd, uint8_t* out, std::size_t n) {
  while (n > 0) {
    if (!waitFor(fd, POLLIN, kPeerTimeoutMs)) return false;
    const ssize_t got = ::read(fd, out, n);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out += got;
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

bool writeAll(int fd, const uint8_t* in, std::size_t n, int timeoutMs) {
  while (n > 0) {
    if (!waitFor(fd, POLLOUT, timeoutMs)) return false;
    const ssize_t put = ::send(fd, in, n, MSG_NOSIGNAL);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    in += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

bool peerIsUs(int fd) {
  ucred cred{};
  socklen_t len = sizeof(cred);
  return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == ::geteuid();
}

// Reads one record and hands it on; only an accepted record is confirmed.
void serveConnection(int fd, const Handler& handler) {
  if (!peerIsUs(fd)) return;
  uint8_t header[8];
  if (!readAll(fd, header, sizeof(header))) return;
  const uint32_t tag = u32le(header), length = u32le(header + 4);
  std::vector<uint8_t> body;
  if (tag == kHandoverOpenFile) {
    if (length == 0 || length > kMaxPathBytes) return;
    body.resize(length);
    if (!readAll(fd, body.data(), length)) return;
  } else if (tag == kHandoverScanner) {
    if (length < kScanHeaderBytes || length > kMaxScanBytes) return;
    uint8_t scanHeader[kScanHeaderBytes];
    if (!readAll(fd, scanHeader, sizeof(scanHeader))) return;
    // The picture's own size must fit in what the record says it holds,
    // before any row is read.
    const uint32_t width = u32le(scanHeader), height = u32le(scanHeader + 4);
    if (width == 0 || height == 0 || width > kMaxScanSide || height > kMaxScanSide) return;
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
    if (kScanHeaderBytes + rowBytes * height > length) return;
    body.resize(length);
    std::memcpy(body.data(), scanHeader, sizeof(scanHeader));
    if (!readAll(fd, body.data() + kScanHeaderBytes, length - kScanHeaderBytes)) return;
  } else {
    return;
  }
  handler(tag, body.data(), body.size());
  writeAll(fd, &kTaken, 1, kPeerTimeoutMs);
}

struct Listener {
  std::mutex lock;
  std::thread thread;
  int socketFd = -1;
  int wakeFds[2] = {-1, -1};
  std::string path;
};

Listener& listener() {
  static Listener* l = new Listener;
  return *l;
}

void listenLoop(int socketFd, int wakeFd, Handler handler) {
  for (;;) {
    pollfd fds[2] = {{socketFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    const int peer = ::accept4(socketFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (peer < 0) continue;
    serveConnection(peer, handler);
    ::close(peer);
  }
}

int connectTo(const std::string& path) {
  sockaddr_un addr;
  if (!fillAddress(path, &addr)) return -1;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::string socketPath(const std::string& stateRoot) {
  // Two spellings of one folder ("/a/b/", "/a/./b") name one instance.
  std::string canonical = stateRoot;
  if (char* real = ::realpath(stateRoot.c_str(), nullptr)) {
    canonical = real;
    std::free(real);
  }
  char hash[17];
  std::snprintf(hash, sizeof(hash), "%016llx", static_cast<unsigned long long>(fnv1a(canonical)));
  const std::string name = std::string("quillantrix-") + hash;
  std::string folder;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  if (runtime && *runtime == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) {
    folder = runtime;
  } else {
    folder = stateRoot + "/.quillantrix-run";
    if (!privateFolder(folder)) {
      std::fprintf(stderr, "Quillantrix: cannot make the private folder \"%s\" for the hand-over socket\n",
                   folder.c_str());
      return "";
    }
  }
  const std::string path = folder + "/" + name;
  if (path.size() >= sizeof(sockaddr_un::sun_path)) {
    std::fprintf(stderr, "Quillantrix: the hand-over socket path \"%s\" is too long\n", path.c_str());
    return "";
  }
  return path;
}

bool send(const std::string& stateRoot, uint32_t tag, const void* bytes, std::size_t length,
          int timeoutMilliseconds) {
  if (length > kMaxScanBytes || (length > 0 && !bytes)) return false;
  const std::string path = socketPath(stateRoot);
  const int fd = connectTo(path);
  if (fd < 0) return false;
  bool taken = false;
  if (peerIsUs(fd)) {
    std::vector<uint8_t> record(8 + length);
    putU32le(record.data(), tag);
    putU32le(record.data() + 4, static_cast<uint32_t>(length));
    if (length) std::memcpy(record.data() + 8, bytes, length);
    uint8_t answer = 0;
    taken = writeAll(fd, record.data(), record.size(), timeoutMilliseconds) &&
            waitFor(fd, POLLIN, timeoutMilliseconds) && ::read(fd, &answer, 1) == 1 && answer == kTaken;
  }
  ::close(fd);
  return taken;
}

bool startListening(const std::string& stateRoot, Handler handler) {
  Listener& l = listener();
  std::lock_guard<std::mutex> guard(l.lock);
  if (l.socketFd >= 0) return true;
  const std::string path = socketPath(stateRoot);
  sockaddr_un addr;
  if (!fillAddress(path, &addr)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
    // Someone listens already, or an instance that crashed left its socket behind.
    const int other = errno == EADDRINUSE ? connectTo(path) : -1;
    if (other >= 0 || errno != ECONNREFUSED || ::unlink(path.c_str()) != 0 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
      if (other >= 0) ::close(other);
      ::close(fd);
      return false;
    }
  }
  ::chmod(path.c_str(), 0600);
  if (::listen(fd, 8) != 0 || ::pipe2(l.wakeFds, O_CLOEXEC) != 0) {
    ::close(fd);
    ::unlink(path.c_str());
    return false;
  }
  if (!handler) handler = [](uint32_t tag, const uint8_t* b, std::size_t n) { qz::host::copyDataReceived(tag, b, n); };
  l.socketFd = fd;
  l.path = path;
  l.thread = std::thread(listenLoop, fd, l.wakeFds[0], std::move(handler));
  return true;
}

void stopListening() {
  Listener& l = listener();
  std::lock_guard<std::mutex> guard(l.lock);
  if (l.socketFd < 0) return;
  const uint8_t wake = 1;
  (void)!::write(l.wakeFds[1], &wake, 1);
  l.thread.join();
  ::close(l.socketFd);
  ::close(l.wakeFds[0]);
  ::close(l.wakeFds[1]);
  ::unlink(l.path.c_str());
  l.socketFd = -1;
  l.wakeFds[0] = l.wakeFds[1] = -1;
  l.path.clear();
}

}  // namespace qz::handover

QZ_EXTERN_C_BEGIN

int32_t Qz_HandoverToRunningInstance(const char* stateRoot, const char* absolutePath) {
  if (!stateRoot || !absolutePath) return 0;
  // The receiver gets a terminated path.
  return qz::handover::send(stateRoot, kHandoverOpenFile, absolutePath, std::strlen(absolutePath) + 1) ? 1 : 0;
}

int32_t Qz_HandoverListen(const char* stateRoot) {
  return stateRoot && qz::handover::startListening(stateRoot) ? 1 : 0;
}

void Qz_HandoverStop(void) { qz::handover::stopListening(); }

QZ_EXTERN_C_END
