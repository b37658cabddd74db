// A requester around a picture and a text on the X11 host: everything it
// shows reaches the X screen (read back through ImageMagick), and a click
// on Ok answers it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "gadgets/ilbm_reader.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "objects/qz_linked_list.h"
#include "objects/requester.h"
#include "platform/exec.h"
#include "platform/windows.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"
#include "widgets/ilbm_builder.h"
#include "x11_gui/x11_gui_support.h"

namespace {

using namespace qztest::x11;

// The splash picture when the build has it, else stripes of seven colours
// written here.
std::string picturePath(const qztest::TempDir& dir) {
  const char* data = std::getenv("QZ_DATA_DIR");
  const std::string splash = std::string(data != nullptr ? data : ".") + "/Data/Images/Splash.iff";
  if (std::filesystem::exists(splash)) return splash;
  qztest::IlbmSpec s;
  s.width = 140;
  s.height = 70;
  s.planes = 3;
  s.compression = 1;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) s.pixels.push_back(uint8_t(1 + (x / 20) % 7));
  s.palette = {0, 0, 0, 220, 30, 30, 30, 180, 40, 40, 60, 220, 240, 220, 20, 200, 40, 200, 20, 200, 210, 250, 140, 0};
  const std::vector<uint8_t> bytes = qztest::buildIlbm(s);
  const std::string path = dir.file("stripes.iff");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

struct Sample {
  int x, y;
  uint32_t rgb;
};

// Points of the picture not in colour 0 (which shows as the background), on
// a grid, with the colour each must show.
std::vector<Sample> samplesOf(const std::string& path) {
  qz::ilbm::Picture picture;
  std::vector<Sample> out;
  if (!qz::ilbm::readFile(path.c_str(), &picture, nullptr)) return out;
  const std::vector<uint8_t> chunky = qz::ilbm::toChunky(picture);
  const uint32_t stride = qz::ilbm::chunkyStride(picture.width);
  for (int y = picture.height / 10; y < picture.height; y += picture.height / 5 + 1) {
    for (int x = picture.width / 14; x < picture.width; x += picture.width / 7 + 1) {
      const uint8_t index = chunky[static_cast<std::size_t>(y) * stride + x];
      if (index == 0) continue;
      const uint8_t* c = &picture.palette[index * 3u];
      out.push_back({x, y, (uint32_t(c[0]) << 16) | (uint32_t(c[1]) << 8) | c[2]});
    }
  }
  return out;
}

TEST(X11Requester, ShowsPictureTextAndButtonsAndOkAnswersIt) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  if (!qztest::haveTool("xdotool") || !qztest::haveTool("import")) GTEST_SKIP() << "xdotool or ImageMagick is missing";
  qztest::ScopedStateRoot stateRoot;
  qztest::TempDir dir;
  Qz_Init();
  ASSERT_NE(OpenScreenTags(nullptr), nullptr);
  const std::string path = picturePath(dir);
  const std::vector<Sample> samples = samplesOf(path);
  ASSERT_GE(samples.size(), 10u) << path;

  Qz_Object* picture = Qz_CreateObject("BitMap", kBitMapLoad, path.c_str());
  Qz_Object* content = Qz_CreateObject("Group", kGroupSetMode, 1, kGroupSetSpacing, 6);
  ASSERT_TRUE(picture && content);
  Qz_DoMethod(content, kGroupAddTail, picture);
  Qz_DoMethod(content, kGroupAddTail, Qz_CreateObject("Text", kRootSetLabel, "Use this picture?"));
  Qz_Object* parent = Qz_CreateObject("LinkedList");
  std::future<QzWord> answer =
      std::async(std::launch::async, [&] { return Qz_ShowRequester("Picture", content, 0, parent, 16); });

  Qz_Object* win = waitForActiveWindow("Picture");
  ASSERT_NE(win, nullptr);
  ASSERT_EQ(reinterpret_cast<Qz_Object*>(Qz_DoMethod(parent, kLinkedListFirst)), win);
  ASSERT_TRUE(settle(win));
  Window* w = Qz__PlatformWindowOf(win);
  const Qz_LayoutBox pb = qztest::UiHarness::box(picture);
  // Shown once the X screen has the picture and both labels.
  const Sample& first = samples.front();
  ASSERT_EQ(shownPixel(w->LeftEdge + pb.left + first.x, w->TopEdge + pb.top + first.y, first.rgb), first.rgb);
  const std::vector<LabelledButton> buttons = buttonsOf(win);
  ASSERT_TRUE(waitForButtonLabels(w, buttons));

  Screenshot shot;
  ASSERT_TRUE(shot.take(screenshotPath("requester_screenshot.png")));
  // The picture, pixel for pixel at its place.
  for (const Sample& s : samples) {
    SCOPED_TRACE(testing::Message() << "picture pixel " << s.x << "," << s.y);
    EXPECT_EQ(shot.at(w->LeftEdge + pb.left + s.x, w->TopEdge + pb.top + s.y), s.rgb);
  }
  // Ok and Cancel, side by side inside the window, each framed with its label.
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(buttons[0].label, "Ok");
  EXPECT_EQ(buttons[1].label, "Cancel");
  for (const LabelledButton& b : buttons) {
    SCOPED_TRACE(b.label);
    const Qz_LayoutBox r = qztest::UiHarness::box(b.button);
    EXPECT_GE(r.left, w->BorderLeft);
    EXPECT_LE(r.left + r.width, w->Width - w->BorderRight);
    EXPECT_GE(r.top, pb.top + pb.height) << "a button over the picture";
    const int left = w->LeftEdge + r.left, top = w->TopEdge + r.top;
    EXPECT_GT(shot.countInk(left + 3, top + 3, r.width - 6, r.height - 6), 10) << "no label";
    EXPECT_GT(shot.countInk(left, top, r.width, 2) + shot.countInk(left, top, 2, r.height), r.width / 2)
        << "no frame";
  }
  // The caption: one colour across most of it, unlike the window's face.
  const uint32_t caption = shot.at(w->LeftEdge + w->Width / 2, w->TopEdge + kFrameWidth + 1);
  EXPECT_GT(shot.count(w->LeftEdge, w->TopEdge + kFrameWidth + 1, w->Width, 1, caption), w->Width / 2);
  EXPECT_NE(caption, shot.at(w->LeftEdge + w->BorderLeft + 1, w->TopEdge + w->Height - w->BorderBottom - 2));

  ASSERT_TRUE(clickObject(w, buttons[0].button));
  ASSERT_EQ(answer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(answer.get(), 1u);
  EXPECT_EQ(Qz_DoMethod(parent, kLinkedListCount), 0u);
  Qz_DisposeObject(parent);
  Qz_CleanUp();
}

}  // namespace
