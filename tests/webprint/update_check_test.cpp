// The update check against a loopback server: what it reads from the
// description, what it asks, and that a release is saved only when whole,
// of the announced size, and never run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/update_check.h"
#include "objects/message_box.h"
#include "support/loopback_http_server.h"
#include "support/temp_dir.h"

namespace {

using qz::msgbox::Answer;
using qztest::LoopbackHttpServer;

constexpr int32_t kOwnRelease = 129;
constexpr const char* kDescriptionTarget = "/AutoUpdate/Win32/AutoUpdate.txt";
constexpr const char* kNoUpdates = "There are no updates to this version of Quillantrix at this time.";
constexpr const char* kDownloadFailed = "An error occurred  while downloading the update.";

TEST(UpdateDescription, KeysAreFoundAnywhereAndBounded) {
  const std::string longHost(300, 'h');
  struct Case {
    const char* name;
    std::string text;
    int32_t release;
    std::string server, object;
    int64_t bytes;
    std::string readme;
  };
  const Case cases[] = {
      {"in order", "AU_Release: 130\nAU_Server: example.org\nAU_Object: /r/q.tar.gz\nAU_ObjectSize: 42\nAU_Readme:\nnotes",
       130, "example.org", "/r/q.tar.gz", 42, "\nnotes"},
      {"any order, inside text", "xx AU_ObjectSize:7 AU_Readme: last AU_Object:/o AU_Server:\n s AU_Release:131", 131,
       "s", "/o", 7, " last AU_Object:/o AU_Server:\n s AU_Release:131"},
      {"missing release", "AU_Server: s AU_Object: /o", 0, "s", "/o", 0, ""},
      {"no digits", "AU_Release: new AU_ObjectSize: -5", 0, "", "", -5, ""},
      {"over-long server is refused", "AU_Release: 200 AU_Server: " + longHost + " AU_Object: /o", 200, "", "/o", 0, ""},
      {"huge release saturates", "AU_Release: 99999999999999", INT32_MAX, "", "", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto d = qz::update::parseDescription(c.text);
    EXPECT_EQ(d.release, c.release);
    EXPECT_EQ(d.server, c.server);
    EXPECT_EQ(d.object, c.object);
    EXPECT_EQ(d.objectBytes, c.bytes);
    EXPECT_EQ(d.readme, c.readme);
  }
}

TEST(UpdateDescription, ReleaseFileNameIsAPlainNameOrTheDefault) {
  struct Case {
    const char* path;
    const char* name;
  };
  for (const Case c : {Case{"/r/Quillantrix-5.1.tar.gz", "Quillantrix-5.1.tar.gz"}, Case{"/r/", "Update.exe"},
                       Case{"/r/..", "Update.exe"}, Case{"/r/.profile", "Update.exe"}, Case{"", "Update.exe"},
                       Case{"/r/a%2f..", "Update.exe"}, Case{"Update.exe", "Update.exe"}}) {
    EXPECT_EQ(qz::update::releaseFileName(c.path), c.name) << c.path;
  }
}

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qz::msgbox::resetScript();
  }
  void TearDown() override { qz::msgbox::resetScript(); }

  void publish(const std::string& description) { server_.setRoute(kDescriptionTarget, {200, description, 0}); }
  std::string describe(int release, const std::string& object, size_t bytes) {
    return "AU_Release: " + std::to_string(release) + "\nAU_Server: " + server_.host() + "\nAU_Object: " + object +
           "\nAU_ObjectSize: " + std::to_string(bytes) + "\nAU_Readme: Faster brushes.\n";
  }
  std::vector<std::string> texts() {
    std::vector<std::string> out;
    for (const auto& shown : qz::msgbox::shownBoxes()) out.push_back(shown.text);
    return out;
  }
  int32_t run() {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const int32_t result = qz::update::runCheck(server_.host(), kOwnRelease);
    testing::internal::GetCapturedStdout();
    stderr_ = testing::internal::GetCapturedStderr();
    return result;
  }
  std::string release(const std::string& name) { return state_.path() + "/Downloads/" + name; }

  qztest::ScopedStateRoot state_;
  LoopbackHttpServer server_;
  std::string stderr_;
};

TEST_F(UpdateCheckTest, DecliningAsksNothingOfTheServer) {
  qz::msgbox::scriptAnswer(Answer::Cancel);
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(qz::msgbox::shownBoxes().size(), 1u);
  EXPECT_EQ(qz::msgbox::shownBoxes()[0].title, "Update Quillantrix");
  EXPECT_TRUE(server_.requests().empty());
}

// A host that has no description is named in a box; nothing is kept.
TEST_F(UpdateCheckTest, AMissingDescriptionIsToldInABoxWithoutAFile) {
  qz::msgbox::scriptAnswer(Answer::Ok);
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(texts().size(), 2u);
  EXPECT_NE(texts()[1].find(server_.host() + " did not answer"), std::string::npos) << texts()[1];
  EXPECT_EQ(qz::msgbox::shownBoxes()[1].kind, 1u);
  EXPECT_FALSE(std::filesystem::exists(state_.path() + "/Data/AutoUpdate.txt"));
}

TEST_F(UpdateCheckTest, NoNewerReleaseSaysSo) {
  for (const std::string& description :
       {describe(kOwnRelease, "/r/q.tar.gz", 4), std::string("AU_Server: x AU_Object: /r AU_ObjectSize: 4"),
        describe(kOwnRelease - 1, "/r/q.tar.gz", 4)}) {
    SCOPED_TRACE(description);
    qz::msgbox::resetScript();
    publish(description);
    qz::msgbox::scriptAnswer(Answer::Ok);
    EXPECT_EQ(run(), 1);
    ASSERT_EQ(texts().size(), 2u);
    EXPECT_EQ(texts()[1], kNoUpdates);
    EXPECT_EQ(qz::msgbox::shownBoxes()[1].kind, 1u);
  }
}

TEST_F(UpdateCheckTest, ANewerReleaseIsSavedWhereTheUserIsToldAndNeverRun) {
  // Were it ever started, it would leave a mark.
  const std::string mark = state_.path() + "/ran";
  const std::string script = "#!/bin/sh\ntouch " + mark + "\n";
  server_.setRoute("/r/Quillantrix-5.1.sh", {200, script, 0});
  publish(describe(kOwnRelease + 1, "/r/Quillantrix-5.1.sh", script.size()));
  qz::msgbox::scriptAnswer(Answer::Ok);
  qz::msgbox::scriptAnswer(Answer::Ok);
  EXPECT_EQ(run(), 1);
  const auto shown = texts();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_TRUE(shown[1].starts_with("There is a more recent version of Quillantrix available for download!"));
  EXPECT_TRUE(shown[1].ends_with(" Faster brushes.\n"));
  EXPECT_TRUE(shown[2].starts_with("Download Complete!")) << shown[2];
  EXPECT_NE(shown[2].find(release("Quillantrix-5.1.sh")), std::string::npos) << shown[2];
  std::ifstream in(release("Quillantrix-5.1.sh"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), script);
  struct stat info {};
  ASSERT_EQ(stat(release("Quillantrix-5.1.sh").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0111, 0u);
  EXPECT_FALSE(std::filesystem::exists(mark));
}

TEST_F(UpdateCheckTest, CancellingTheOfferFetchesNothingMore) {
  publish(describe(kOwnRelease + 1, "/r/q.tar.gz", 4));
  qz::msgbox::scriptAnswer(Answer::Ok);
  qz::msgbox::scriptAnswer(Answer::Cancel);
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(server_.requests().size(), 1u);
  EXPECT_EQ(texts().size(), 2u);
}

TEST_F(UpdateCheckTest, AFailedOrWrongSizedReleaseIsRefusedAndRemoved) {
  struct Case {
    const char* name;
    int status;
    size_t announced;
  };
  for (const Case c : {Case{"not found", 404, 4}, Case{"server error", 500, 4}, Case{"larger than announced", 200, 3},
                       Case{"smaller than announced", 200, 5}, Case{"no size announced", 200, 0}}) {
    SCOPED_TRACE(c.name);
    qz::msgbox::resetScript();
    server_.setRoute("/r/q.tar.gz", {c.status, "abcd", 0});
    publish(describe(kOwnRelease + 1, "/r/q.tar.gz", c.announced));
    qz::msgbox::scriptAnswer(Answer::Ok);
    qz::msgbox::scriptAnswer(Answer::Ok);
    EXPECT_EQ(run(), 1);
    ASSERT_EQ(texts().size(), 3u);
    EXPECT_EQ(texts()[2], kDownloadFailed);
    EXPECT_FALSE(std::filesystem::exists(release("q.tar.gz")));
  }
}

}  // namespace
