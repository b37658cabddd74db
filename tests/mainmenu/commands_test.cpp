// The command table: each id sends the expected method to the expected
// target, or calls the expected requester, with a stand-in for what the
// program would do; and the commands whose state matters, run for real.
#include <cinttypes>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/main_menu.h"
#include "app/menu_commands.h"
#include "main_menu_env.h"
#include "objects/async_methods.h"
#include "platform/exec.h"
#include "platform/menu_bar.h"
#include "image/image_shell.h"
#include "support/pattern_ppm.h"

namespace qztest {
namespace {

using qz::app::MenuEffects;

// Records what a command asks for, naming the objects it knows. Sends run
// for real only on images the command made itself.
class Recorder final : public MenuEffects {
 public:
  std::map<QzWord, std::string> names;
  std::vector<std::string> log;
  bool answer = true;

  std::string name(QzWord w) {
    if (w == 0) return "0";
    if (auto it = names.find(w); it != names.end()) return it->second;
    if (w < 0x10000) return std::to_string(w);
    if (w > 0xFFFF0000u && w <= 0xFFFFFFFFu) return std::to_string(int32_t(uint32_t(w)));  // a negative word
    return "ptr";
  }
  std::string words(const std::vector<QzWord>& args) {
    std::string out;
    for (QzWord a : args) out += " " + name(a);
    return out;
  }
  static std::string hex(uint32_t method) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%" PRIx32, method);
    return buf;
  }
  QzWord send(Qz_Object* target, uint32_t method, const std::vector<QzWord>& args) override {
    const QzWord t = reinterpret_cast<QzWord>(target);
    log.push_back("send " + name(t) + " " + hex(method) + words(args));
    if (names.count(t) && names[t] != "new") return 0;
    std::vector<QzWord> padded(args);
    padded.resize(args.size() + 8, 0);
    return Qz_DoMethodA(target, method, padded.data());
  }
  void post(Qz_Object* target, uint32_t method, const std::vector<QzWord>& args) override {
    std::vector<QzWord> shown(args);
    // A path handed to the open request is the receiver's to free.
    if (method == 0x13003C && !args.empty() && args[0]) {
      auto* path = reinterpret_cast<char*>(args[0]);
      log.push_back("post " + name(reinterpret_cast<QzWord>(target)) + " 0x13003c \"" + path + "\"");
      FreeVec(path);
      return;
    }
    log.push_back("post " + name(reinterpret_cast<QzWord>(target)) + " " + hex(method) + words(shown));
  }
  QzWord call(const char* function, Qz_Image* image, const std::vector<QzWord>& args) override {
    log.push_back(std::string("call ") + function + " " + (image ? name(reinterpret_cast<QzWord>(image)) : "-") +
                  words(args));
    return 0;
  }
  bool confirm(const char*) override {
    log.push_back("ask");
    return answer;
  }
  void showHelp(const std::string& page) override { log.push_back("help " + page); }
  void dispose(Qz_Image* image) override { log.push_back("dispose " + name(reinterpret_cast<QzWord>(image))); }
};

QzWord w(const void* p) { return reinterpret_cast<QzWord>(p); }

class Commands : public MainMenuTest {
 protected:
  void SetUp() override { ASSERT_NE(Qz__CreateMainMenuBar(), nullptr); }
  void TearDown() override {
    qz::app::destroyMainMenuBars();
    MainMenuTest::TearDown();
  }
  // Waits for asynchronous disposals to finish (a document leaves the list first).
  static bool listed(Qz_Image* image) {
    Qz_ImageBase* base = Qz_GetImageBase();
    ObtainSemaphore(&base->semaphore);
    bool found = false;
    for (Qz_Image* i = first_image(base); i && !found; i = next_image(i)) found = i == image;
    ReleaseSemaphore(&base->semaphore);
    return found;
  }
  static void waitUntilGone(Qz_Image* image) {
    for (int i = 0; i < 500 && listed(image); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
};

enum With : uint32_t { kNothing = 0, kAlpha = 1, kSecondary = 2 };

struct Case {
  uint16_t id;
  uint32_t selector;
  uint32_t with;
  std::vector<std::string> effects;  // when the build can carry the command out
};

const std::string kAppOpenMine = "post app 0x13003c \"doc\"";
const std::string kMade = "send new 0x100078 1 8 6 8";
const std::string kMadeMode = "send ptr 0x10005a ptr";
const std::string kMadeDocument = "send new 0x13000a new";

// Every command of the table, in id order.
const Case kCases[] = {
    {51, 1, kNothing, {"post app 0x13003c 0"}},
    {52, 1, kNothing, {"post doc 0x130046"}},
    {53, 1, kNothing, {"post doc 0x130047"}},
    {54, 1, kNothing, {"post doc 0x130048"}},
    {55, 1, kNothing, {"call Qz__SaveImageForTheWeb doc"}},
    {56, 1, kNothing, {"call Qz_ShowPageSetupReq doc"}},
    {57, 1, kNothing, {"call Qz_PrintImage doc"}},
    {59, 1, kNothing, {"call BatchProcess -"}},
    {60, 1, kNothing, {"call Qz_DoNewImageReq -"}},
    {61, 1, kNothing, {"dispose doc", kAppOpenMine}},
    {62, 1, kNothing, {}},
    {63, 1, kNothing, {}},
    {64, 1, kNothing, {"call ScreenGrabQZIO:load -"}},
    {65, 1, kNothing, {"dispose doc"}},
    {66, 1, kNothing, {"dispose doc"}},
    {67, 1, kNothing, {"call QuillantrixPrefs -"}},
    {68, 1, kNothing, {"call Qz__ShowAutoUpdateRequester -"}},
    {69, 1, kNothing, {"post app 0x7000a"}},
    {73, 1, kNothing, {"send doc 0x100078 1 8 6 8"}},
    {74, 1, kNothing, {"send doc 0x100078 2 8 6 24"}},
    {75, 1, kNothing, {"send doc 0x100082 layer"}},
    {76, 1, kNothing, {"send layer 0x10024e 0 0 8 6"}},
    {77, 1, kNothing, {"send layer 0x10024e 0 0 8 6"}},
    {78, 1, kNothing, {"call Qz__ScaleImage doc 16 12 0"}},
    {79, 1, kNothing, {"call Qz__ScaleImage doc 4 3 0"}},
    {80, 1, kNothing, {"call Qz_DoScaleRequestor doc"}},
    {81, 1, kNothing, {"call Qz_DoScaleRequestor layer"}},
    {83, 1, kNothing, {"call Qz_ShowSnapToGridReq -"}},
    {84, 1, kNothing, {}},
    {85, 1, kNothing, {"send doc 0x100302"}},
    {86, 1, kNothing, {"send doc 0x1002ee"}},
    {87, 1, kNothing, {"post doc 0x44003c"}},
    {88, 1, kNothing, {"send layer 0x1002c6"}},
    {89, 1, kNothing, {"call Qz__TransformImage doc 0 260"}},
    {90, 1, kNothing, {"call Qz__TransformImage doc 0 772"}},
    {91, 1, kNothing, {"call Qz__TransformImage doc 0 516"}},
    {92, 1, kNothing, {"call Qz__TransformImage doc 0 1280"}},
    {93, 1, kNothing, {"call Qz__TransformImage doc 0 1792"}},
    {94, 1, kNothing, {"call Qz__TransformImage doc 0 1536"}},
    {95, 1, kNothing, {"call Qz__TransformImage doc -90 4"}},
    {96, 1, kNothing, {"call Qz__TransformImage doc 90 4"}},
    {97, 1, kNothing, {"call Qz__TransformImage doc 180 4"}},
    {98, 1, kNothing, {"call Qz_DoTransformRequestor doc"}},
    {100, 1, kNothing, {"call Qz_DoAddSpaceReq doc"}},
    {101, 1, kNothing, {"send layer 0x1002c6"}},
    {102, 1, kNothing, {"send layer 0x1002bc"}},
    {103, 1, kNothing, {"call Qz__AboutQuillantrix -"}},
    {104, 4, kNothing, {"call Qz__LoadImageA:layer -"}},
    {105, 4, kSecondary, {"post sec 0x130046"}},
    {106, 4, kNothing, {kMade, kMadeMode, kMadeDocument, "send layer 0x100226 new"}},
    {107, 4, kSecondary, {"send layer 0x100226 0"}},
    {108, 3, kNothing, {kMade, kMadeMode, kMadeDocument, "send layer 0x100230 new"}},
    {109, 3, kNothing, {"call Qz__LoadImageA:layer -"}},
    {110, 3, kAlpha, {"post alpha 0x130046"}},
    {111, 3, kAlpha, {"send layer 0x100230 0"}},
    {112, 1, kNothing, {"send doc 0x1000dc"}},
    {113, 2, kNothing, {"send doc 0x1000e6"}},
    {114, 2, kNothing, {"send doc 0x100078 1 8 6 8"}},
    {115, 2, kNothing, {"send doc 0x100262"}},
    {116, 2, kNothing, {"send doc 0x10026c"}},
    {117, 2, kNothing, {"send doc 0x100276"}},
    {118, 2, kNothing, {"send doc 0x100280"}},
    {119, 2, kNothing, {kMade, kMadeMode, kMadeDocument, "send layer 0x100230 new", "send doc 0x1000c8 layer"}},
    {120, 2, kAlpha, {"send layer 0x100230 0"}},
    {123, 1, kNothing, {"help Data/Help/index.html#start"}},
    {124, 1, kNothing, {"help Data/Help/index.html"}},
    {125, 1, kNothing, {"help Data/Help/index.html#index"}},
    {126, 1, kNothing, {"help Data/Help/index.html#search"}},
    {129, 1, kNothing, {"help Data/Help/index.html#tutorials"}},
    {131, 1, kNothing, {"call TipOfTheDay -"}},
    {132, 2, kNothing, {"send doc 0x100078 1 8 6 8"}},
    {133, 1, kNothing, {"call Qz__CopyImage doc 0"}},
    {135, 1, kNothing, {"call Qz_UndoImageAction doc"}},
    {136, 1, kNothing, {"call Qz_RedoImageAction doc"}},
    {137, 1, kNothing, {"call ClipboardQZIO:save doc"}},
    {138, 1, kNothing, {"call ClipboardQZIO:load -"}},
    {139, 1, kNothing, {"post app 0x13003d 0 0"}},
    {142, 1, kNothing, {"post doc 0x100054"}},
    {143, 1, kNothing, {"send doc 0x1000d2 0"}},
    {144, 1, kNothing, {}},
};

TEST_F(Commands, EachIdSendsItsMethodToItsTarget) {
  std::set<uint16_t> covered;
  for (const Case& c : kCases) covered.insert(c.id);
  for (const qz::app::MenuCommand& command : qz::app::menuCommands())
    EXPECT_TRUE(covered.count(command.id)) << "command " << command.id << " has no case";

  Qz_ImageBase* base = Qz_GetImageBase();
  for (const Case& c : kCases) {
    SCOPED_TRACE("command " + std::to_string(c.id));
    Qz_Image* doc = Document(8, 6);
    ASSERT_NE(doc, nullptr);
    Qz_Image* layer = doc->activeLayer;
    ASSERT_NE(layer, nullptr);
    Recorder r;
    r.names = {{w(doc), "doc"}, {w(layer), "layer"}, {w(base->applicationImage), "app"}};
    if (c.with & kAlpha) {
      Qz_Image* alpha = Document(8, 6, false);
      ASSERT_EQ(Qz_DoMethod(&layer->object, 0x100230, alpha), 1u);
      r.names[w(alpha)] = "alpha";
    }
    if (c.with & kSecondary) {
      Qz_Image* secondary = Document(8, 6, false);
      ASSERT_EQ(Qz_DoMethod(&layer->object, 0x100226, secondary), 1u);
      r.names[w(secondary)] = "sec";
    }
    MakeActive(doc);  // a load makes the loaded image active
    // Images the command makes are "new".
    std::set<Qz_Image*> before;
    for (Qz_Image* i = first_image(base); i; i = next_image(i)) before.insert(i);
    const auto nameNew = [&] {
      for (Qz_Image* i = first_image(base); i; i = next_image(i))
        if (!before.count(i) && !r.names.count(w(i))) r.names[w(i)] = "new";
    };
    Qz_Image* made = nullptr;
    if (c.id == 106 || c.id == 108 || c.id == 119) {
      // The new image is made inside the command: name it as soon as it exists.
      struct Namer final : MenuEffects {
        Recorder& r;
        Qz_Image*& made;
        Namer(Recorder& rec, Qz_Image*& m) : r(rec), made(m) {}
        QzWord send(Qz_Object* t, uint32_t m, const std::vector<QzWord>& a) override {
          if (m == 0x100078 && !r.names.count(w(t))) {
            made = reinterpret_cast<Qz_Image*>(t);
            r.names[w(t)] = "new";
          }
          return r.send(t, m, a);
        }
        void post(Qz_Object* t, uint32_t m, const std::vector<QzWord>& a) override { r.post(t, m, a); }
        QzWord call(const char* f, Qz_Image* i, const std::vector<QzWord>& a) override { return r.call(f, i, a); }
        bool confirm(const char* t) override { return r.confirm(t); }
        void showHelp(const std::string& p) override { r.showHelp(p); }
        void dispose(Qz_Image* i) override { r.dispose(i); }
      } namer(r, made);
      qz::app::runMenuCommand(c.id, c.selector, namer);
    } else {
      qz::app::runMenuCommand(c.id, c.selector, r);
    }
    nameNew();
    std::vector<std::string> expected = qz::app::menuCommandAvailable(c.id) ? c.effects : std::vector<std::string>{};
    // The document's own file name stands for itself.
    for (std::string& e : expected)
      if (e == kAppOpenMine) e = std::string("post app 0x13003c \"") + doc->name + "\"";
    EXPECT_EQ(r.log, expected);
    if (made) {
      EXPECT_TRUE(qz::app::madeByMenu(made));
    }
    // Every path let the image's lock go.
    ASSERT_TRUE(Qz_LockImageA(doc, kQzLockExclusive, nullptr));
    Qz_UnlockImageA(doc, kQzLockExclusive, nullptr);
    DisposeAll();
  }
}

TEST_F(Commands, NothingHappensWithoutTheirTarget) {
  Recorder r;
  r.names = {{w(Qz_GetImageBase()->applicationImage), "app"}};
  // No image: the commands that need one do nothing; the others still run.
  for (uint16_t id : {52, 57, 61, 65, 73, 75, 88, 89, 92, 112, 119, 120, 133, 135, 136, 137, 143})
    qz::app::runMenuCommand(id, 1, r);
  EXPECT_TRUE(r.log.empty());
  qz::app::runMenuCommand(51, 1, r);
  EXPECT_EQ(r.log, (std::vector<std::string>{"post app 0x13003c 0"}));
  // An image with no alpha image: the alpha selector has nothing to save.
  r.log.clear();
  Qz_Image* doc = Document(8, 6);
  ASSERT_NE(doc, nullptr);
  for (uint32_t selector : {3u, 4u}) qz::app::runMenuCommand(110, selector, r);
  qz::app::runMenuCommand(111, 3, r);
  qz::app::runMenuCommand(120, 2, r);
  EXPECT_TRUE(r.log.empty());
}

TEST_F(Commands, CloseAsksFirstWhenTheAreYouSureFlagIsSetAndRevertNeedsAName) {
  Qz_ImageBase* base = Qz_GetImageBase();
  base->closeQuestion.store(1);
  struct Restore {
    Qz_ImageBase* b;
    ~Restore() { b->closeQuestion.store(0); }
  } restore{base};
  struct Case {
    const char* name;
    uint16_t id;
    bool answer;
    std::vector<std::string> effects;
  };
  const Case cases[] = {{"close, OK", 65, true, {"ask", "dispose doc"}},
                        {"close, Cancel", 65, false, {"ask"}},
                        {"close all, OK", 66, true, {"ask", "dispose doc"}},
                        {"close all, Cancel", 66, false, {"ask"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Image* doc = Document(8, 6);
    Recorder r;
    r.names = {{w(doc), "doc"}};
    r.answer = c.answer;
    qz::app::runMenuCommand(c.id, 1, r);
    EXPECT_EQ(r.log, c.effects);
    DisposeAll();
  }
  // An image never saved has no file to go back to.
  Qz_Image* doc = Document(8, 6);
  std::free(doc->name);
  doc->name = nullptr;
  Recorder r;
  qz::app::runMenuCommand(61, 1, r);
  EXPECT_TRUE(r.log.empty());
}

TEST_F(Commands, SnapTwiceReturnsToItsStartAndTheReRenderSwitchToggles) {
  Qz_ImageBase* base = Qz_GetImageBase();
  const int32_t start = base->gridOn.load();
  std::vector<std::pair<int32_t, int32_t>> seen;  // (snap word, check state)
  for (int i = 0; i < 2; ++i) {
    qz::app::runMenuCommand(84, 1, qz::app::programMenuEffects());
    seen.emplace_back(base->gridOn.load(), Qz_GetMenuItemState(qz::app::fullMenuBar(), 84));
  }
  EXPECT_EQ(seen, (std::vector<std::pair<int32_t, int32_t>>{{start ? 0 : 1, start ? 1 : 3}, {start, start ? 3 : 1}}));

  Qz_Image* doc = Document(8, 6);
  Recorder r;
  r.names = {{w(doc), "doc"}};
  // Two switches, from either state, switch on once: one re-render.
  qz::app::runMenuCommand(142, 1, r);
  qz::app::runMenuCommand(142, 1, r);
  EXPECT_EQ(r.log, (std::vector<std::string>{"post doc 0x100054"}));
}

TEST_F(Commands, ApplyAlphaDisposesOnlyAnAlphaImageTheMenuMade) {
  Qz_Image* doc = Document(8, 6);
  ASSERT_NE(doc, nullptr);
  Qz_Image* layer = doc->activeLayer;
  MenuEffects& program = qz::app::programMenuEffects();

  // Made by "Make Alpha from Layer": "Apply Alpha to Layer" disposes it.
  qz::app::runMenuCommand(119, 2, program);
  Qz_Image* made = layer->firstSource;
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(qz::app::madeByMenu(made));
  EXPECT_TRUE(listed(made));
  qz::app::runMenuCommand(120, 2, program);
  EXPECT_EQ(layer->firstSource, nullptr);
  waitUntilGone(made);
  EXPECT_FALSE(listed(made));

  // An open document chosen as the alpha image is only detached.
  Qz_Image* other = Document(8, 6, false);
  MakeActive(doc);
  Qz_DoMethod(&layer->object, 0x100230, other);
  ASSERT_EQ(layer->firstSource, other);
  EXPECT_FALSE(qz::app::madeByMenu(other));
  qz::app::runMenuCommand(120, 2, program);
  EXPECT_EQ(layer->firstSource, nullptr);
  EXPECT_TRUE(listed(other));
}

}  // namespace
}  // namespace qztest

namespace qztest {
namespace {

TEST_F(Commands, QuarterTurnsGoTheWayTheirLabelsSay) {
  struct Case {
    uint16_t id;
    int32_t width, height;
    int32_t fromX, fromY;  // the old pixel that lands top left
  };
  // A 3 x 2 picture: clockwise brings the bottom-left corner to the top left,
  // anticlockwise the top-right one, a half turn the bottom-right one.
  const Case cases[] = {{95, 2, 3, 0, 1}, {96, 2, 3, 2, 0}, {97, 3, 2, 2, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    Qz_Image* doc = Document(3, 2);
    ASSERT_NE(doc, nullptr);
    qz::app::runMenuCommand(c.id, 1, qz::app::programMenuEffects());
    Qz__SettleImage(doc);
    EXPECT_EQ(doc->width, c.width);
    EXPECT_EQ(doc->height, c.height);
    EXPECT_EQ(doc->r[0][0], PatternRed(c.fromX, c.fromY));
    EXPECT_EQ(doc->g[0][0], PatternGreen(c.fromX, c.fromY));
    DisposeAll();
  }
}

}  // namespace
}  // namespace qztest
