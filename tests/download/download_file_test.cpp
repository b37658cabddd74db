// Downloads against a loopback server: only a whole 2xx body is a file, and
// nothing is left behind by a failure or a stop.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/download_file.h"
#include "platform/http_client.h"
#include "support/loopback_http_server.h"
#include "support/temp_dir.h"

namespace {

using qztest::LoopbackHttpServer;

std::string thousandBytes() {
  std::string body;
  for (int i = 0; i < 1000; ++i) body.push_back(char('a' + i % 26));
  return body;
}

bool exists(const std::string& path) { return std::ifstream(path).good(); }

TEST(DownloadFile, WholeBodyArrivesWithRisingProgress) {
  LoopbackHttpServer server({{"/AutoUpdate/file.bin", {200, thousandBytes(), 100}}});
  qztest::TempDir dir;
  std::vector<uint64_t> seen;
  const auto outcome = qz::http::download({server.host(), "/AutoUpdate/file.bin", dir.file("got.bin"), ""},
                                          [&](uint64_t received) {
                                            seen.push_back(received);
                                            return true;
                                          });
  EXPECT_EQ(outcome, qz::http::Outcome::Done);
  EXPECT_EQ(qztest::fileContents(dir.file("got.bin")), thousandBytes());
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(seen.back(), 1000u);
  ASSERT_EQ(server.requests().size(), 1u);
  const std::string head = server.requests()[0];
  EXPECT_TRUE(head.starts_with("GET /AutoUpdate/file.bin HTTP/1.0\r\n")) << head;
  EXPECT_NE(head.find("User-Agent: Quillantrix\r\n"), std::string::npos) << head;
}

TEST(DownloadFile, ErrorAnswersLeaveNoFileAndNameTheStatus) {
  struct Case {
    int status;
    const char* line;
  };
  for (const Case c : {Case{404, "HttpQueryInfo error code: 404"}, Case{401, "HttpQueryInfo error code: 401"},
                       Case{500, "HttpQueryInfo error code: 500"}}) {
    SCOPED_TRACE(c.status);
    LoopbackHttpServer server({{"/f", {c.status, "an error page", 0}}});
    qztest::TempDir dir;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Qz__DownloadFile(server.host().c_str(), "/f", dir.file("f").c_str(), "", 0), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(c.line), std::string::npos);
    EXPECT_FALSE(exists(dir.file("f")));
  }
}

TEST(DownloadFile, FailureKeepsAnEarlierFileOfTheSameName) {
  LoopbackHttpServer server;
  qztest::TempDir dir;
  std::ofstream(dir.file("kept")) << "older";
  testing::internal::CaptureStderr();
  EXPECT_EQ(Qz__DownloadFile(server.host().c_str(), "/missing", dir.file("kept").c_str(), nullptr, 0), 0);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(qztest::fileContents(dir.file("kept")), "older");
}

TEST(DownloadFile, RefusedConnectionWritesTheErrorLine) {
  qztest::TempDir dir;
  testing::internal::CaptureStderr();
  EXPECT_EQ(Qz__DownloadFile(qztest::refusingLoopbackHost().c_str(), "/f", dir.file("f").c_str(), "", 0), 0);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("InternetConnect error code: 7\nMessage: "), std::string::npos) << err;
  EXPECT_FALSE(exists(dir.file("f")));
}

TEST(DownloadFile, StopAfterTheFirstPieceRemovesTheFile) {
  LoopbackHttpServer server({{"/f", {200, thousandBytes(), 100}}});
  qztest::TempDir dir;
  int calls = 0;
  const auto outcome = qz::http::download({server.host(), "/f", dir.file("f"), ""}, [&](uint64_t) {
    ++calls;
    return false;
  });
  EXPECT_EQ(outcome, qz::http::Outcome::Stopped);
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(exists(dir.file("f")));
}

TEST(DownloadFile, EmptyFileNameWritesHeadersAndBodyToStandardOutput) {
  LoopbackHttpServer server({{"/f", {200, "the body text", 0}}});
  testing::internal::CaptureStdout();
  EXPECT_EQ(Qz__DownloadFile(server.host().c_str(), "/f", "", "", 0), 1);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(out.starts_with("HTTP/1.0 200 OK\r\n")) << out;
  EXPECT_NE(out.find("\r\n\r\n\nthe body text\n"), std::string::npos) << out;
}

TEST(DownloadFile, ProxyIsAskedForTheWholeAddress) {
  LoopbackHttpServer proxy({{"http://quillantrix.invalid/f", {200, "through the proxy", 0}}});
  qztest::TempDir dir;
  EXPECT_EQ(Qz__DownloadFile("quillantrix.invalid", "/f", dir.file("f").c_str(), proxy.host().c_str(), 0), 1);
  EXPECT_EQ(qztest::fileContents(dir.file("f")), "through the proxy");
}

TEST(DownloadFile, AddressesThatWouldChangeTheRequestAreRefused) {
  LoopbackHttpServer server({{"/f", {200, "x", 0}}});
  const std::string host = server.host();
  struct Case {
    std::string host, path;
  };
  for (const Case& c : {Case{host, "f"}, Case{host, "/f HTTP/1.1\r\nX: y"}, Case{"user@" + host, "/f"},
                        Case{host + "/f?", "/f"}, Case{"", "/f"}}) {
    SCOPED_TRACE(c.host + c.path);
    qztest::TempDir dir;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Qz__DownloadFile(c.host.c_str(), c.path.c_str(), dir.file("f").c_str(), "", 0), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(exists(dir.file("f")));
  }
  EXPECT_TRUE(server.requests().empty());
}

TEST(DownloadFile, ProgressTextCountsWholeKilobytesAtLeastOne) {
  struct Case {
    int64_t bytes;
    const char* text;
  };
  for (const Case c : {Case{0, "Downloading 1KB file from h"}, Case{2047, "Downloading 1KB file from h"},
                       Case{2048, "Downloading 2KB file from h"}, Case{4096, "Downloading 4KB file from h"}}) {
    EXPECT_EQ(qz::downloadProgressText(c.bytes, "h"), c.text);
  }
}

}  // namespace
