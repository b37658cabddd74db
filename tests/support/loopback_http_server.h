// A small HTTP/1.0 server on 127.0.0.1 for download tests: it answers each
// request from a table of request targets, records what it was asked, and
// stops by itself once idle for a while, so a stuck test cannot leave it running.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qztest {

class LoopbackHttpServer {
 public:
  struct Reply {
    int status = 200;
    std::string body;
    size_t pieceBytes = 0;  // send the body in pieces of this size (0: at once)
  };

  // Targets not in the table get 404.
  explicit LoopbackHttpServer(std::map<std::string, Reply> routes = {});
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  void setRoute(const std::string& target, Reply reply);
  // "127.0.0.1:<port>"
  std::string host() const;
  // The request heads received so far, oldest first.
  std::vector<std::string> requests() const;

 private:
  void serve();
  void answer(int connection);

  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::map<std::string, Reply> routes_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// "127.0.0.1:<port>" of a port nothing listens on.
std::string refusingLoopbackHost();

}  // namespace qztest
