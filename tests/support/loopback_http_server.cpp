#include "loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace qztest {
namespace {

constexpr int kPollMs = 50;
constexpr auto kIdleLimit = std::chrono::seconds(30);
constexpr size_t kMaxHeadBytes = 16384;

int bindLoopback(uint16_t& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

const char* reasonOf(int status) {
  switch (status) {
    case 200: return "OK";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

bool sendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    data += sent;
    size -= size_t(sent);
  }
  return true;
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer(std::map<std::string, Reply> routes) : routes_(std::move(routes)) {
  listener_ = bindLoopback(port_);
  if (listener_ >= 0 && listen(listener_, 8) == 0) thread_ = std::thread([this] { serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) close(listener_);
}

void LoopbackHttpServer::setRoute(const std::string& target, Reply reply) {
  std::lock_guard lock(mutex_);
  routes_[target] = std::move(reply);
}

std::string LoopbackHttpServer::host() const { return "127.0.0.1:" + std::to_string(port_); }

std::vector<std::string> LoopbackHttpServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void LoopbackHttpServer::serve() {
  auto lastActivity = std::chrono::steady_clock::now();
  while (!stopping_ && std::chrono::steady_clock::now() - lastActivity < kIdleLimit) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, kPollMs) <= 0) continue;
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    answer(connection);
    close(connection);
    lastActivity = std::chrono::steady_clock::now();
  }
}

void LoopbackHttpServer::answer(int connection) {
  std::string head;
  char buffer[1024];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxHeadBytes && !stopping_) {
    pollfd p{connection, POLLIN, 0};
    if (poll(&p, 1, kPollMs) <= 0) continue;
    const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
    if (got <= 0) return;
    head.append(buffer, size_t(got));
  }
  const size_t firstSpace = head.find(' ');
  const size_t secondSpace = head.find(' ', firstSpace + 1);
  const std::string target =
      firstSpace == std::string::npos ? "" : head.substr(firstSpace + 1, secondSpace - firstSpace - 1);
  Reply reply{404, "not here", 0};
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(head);
    if (auto found = routes_.find(target); found != routes_.end()) reply = found->second;
  }
  const std::string status = "HTTP/1.0 " + std::to_string(reply.status) + " " + reasonOf(reply.status) +
                             "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                             std::to_string(reply.body.size()) + "\r\n\r\n";
  if (!sendAll(connection, status.data(), status.size())) return;
  const size_t piece = reply.pieceBytes == 0 ? std::max<size_t>(reply.body.size(), 1) : reply.pieceBytes;
  for (size_t at = 0; at < reply.body.size() && !stopping_; at += piece) {
    if (!sendAll(connection, reply.body.data() + at, std::min(piece, reply.body.size() - at))) return;
    // Separate pieces, so the client sees the body arrive bit by bit.
    if (reply.pieceBytes != 0) usleep(2000);
  }
}

std::string refusingLoopbackHost() {
  uint16_t port = 0;
  const int fd = bindLoopback(port);
  if (fd >= 0) close(fd);  // bound, never listening, now closed: connections are refused
  return "127.0.0.1:" + std::to_string(port);
}

}  // namespace qztest
