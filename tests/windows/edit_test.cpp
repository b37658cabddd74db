// The single-line edit control: typing, caret and selection, clipboard,
// focus moves (Enter, Tab, a click elsewhere) and its own surface.
#include <chrono>
#include <string>
#include <thread>

#include "platform/clipboard.h"
#include "tests/windows/window_fixture.h"

using namespace qztest;
namespace hl = qz::headless;
namespace host = qz::host;

namespace {

struct LostFocus {
  void* owner;
  void* userData;
  std::size_t clicksQueued;  // button messages waiting on the window when the focus went
};
std::vector<LostFocus>* gLost = nullptr;
Window* gWindow = nullptr;

void onLost(void* owner, void* userData) {
  std::size_t queued = 0;
  for (Node* n = gWindow->UserPort->mp_MsgList.lh_Head; n->ln_Succ; n = n->ln_Succ)
    queued += reinterpret_cast<InputMessage*>(n)->Class == IDCMP_MOUSEBUTTONS;
  gLost->push_back({owner, userData, queued});
}

class EditTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    w_ = OpenWindowTags(nullptr, WA_Left, 100, WA_Top, 100, WA_InnerWidth, 300, WA_InnerHeight, 200, WA_Flags,
                        WFLG_BORDERLESS, WA_OwnerObject, &owner_, TAG_DONE);
    ASSERT_NE(w_, nullptr);
    open_.push_back(w_);
    gWindow = w_;
    gLost = &lost_;
    QzWindowHooks hooks{};
    hooks.editLostFocus = onLost;
    Qz_SetWindowHooks(&hooks);
    hl::click(150, 150);  // active
    edit_ = Qz_CreateEditControl(w_, 10, 20, 120, 18);
    ASSERT_NE(edit_, 0u);
    Qz_SetEditControlUserData(edit_, &field_);
    drain(w_);
  }
  std::string text(QzEditControl e = 0) {
    char buf[300];
    Qz_GetEditControlText(e ? e : edit_, buf, sizeof(buf));
    return buf;
  }
  void key(uint16_t vk, char32_t ch = 0) { hl::typeKey(vk, ch); }
  void withCtrl(uint16_t vk) {
    hl::keyDown(host::kVkControl);
    key(vk);
    hl::keyUp(host::kVkControl);
  }
  int owner_ = 0, field_ = 0;
  Window* w_ = nullptr;
  QzEditControl edit_ = 0;
  std::vector<LostFocus> lost_;
};

TEST_F(EditTest, TypingEditsAtTheCaretAndTheWindowHearsNothing) {
  Qz_SetEditControlText(edit_, "bird");
  Qz_EditControlClick(edit_, 1, 4);  // before the first character
  EXPECT_EQ(Qz_GetFocusedEditControl(), edit_);
  hl::typeText("A ");
  EXPECT_EQ(text(), "A bird");
  key(0x23);  // End
  key('S', U's');
  key(host::kVkLeft);
  key(host::kVkBack);
  EXPECT_EQ(text(), "A birs");
  key(0x24);  // Home
  key(host::kVkDelete);
  EXPECT_EQ(text(), " birs");
  // Shift+Right selects; typing replaces the selection.
  hl::keyDown(host::kVkShift);
  key(host::kVkRight);
  key(host::kVkRight);
  hl::keyUp(host::kVkShift);
  key('X', U'x');
  EXPECT_EQ(text(), "xirs");
  EXPECT_TRUE(drain(w_).empty());
}

TEST_F(EditTest, CharactersAreWholeCodePoints) {
  Qz_EditControlClick(edit_, 1, 4);
  key('A', U'ä');
  key('E', U'€');
  EXPECT_EQ(text(), "ä€");
  key(host::kVkBack);
  EXPECT_EQ(text(), "ä");
  char small[3];  // room for one two-byte character and the terminator
  Qz_SetEditControlText(edit_, "aä");
  EXPECT_EQ(Qz_GetEditControlText(edit_, small, sizeof(small)), 1);  // "ä" would not fit whole
  EXPECT_STREQ(small, "a");
}

TEST_F(EditTest, CutCopyAndPasteGoThroughTheClipboard) {
  Qz_SetEditControlText(edit_, "copy me");
  Qz_EditControlClick(edit_, 1, 4);
  withCtrl('A');
  withCtrl('C');
  char* clip = Qz_ClipboardGetText();
  ASSERT_NE(clip, nullptr);
  EXPECT_STREQ(clip, "copy me");
  FreeVec(clip);
  withCtrl('X');
  EXPECT_EQ(text(), "");
  Qz_ClipboardSetText("pasted\nsecond line");
  withCtrl('V');
  for (int i = 0; i < 500 && text().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_EQ(text(), "pasted");  // one line only
}

TEST_F(EditTest, EnterAndTabMoveTheFocusAndReportIt) {
  QzEditControl second = Qz_CreateEditControl(w_, 10, 50, 120, 18);
  Qz_SetEditControlText(second, "next");
  Qz_EditControlClick(edit_, 1, 4);
  key(host::kVkTab, U'\t');
  EXPECT_EQ(Qz_GetFocusedEditControl(), second);
  ASSERT_EQ(lost_.size(), 1u);
  EXPECT_EQ(lost_[0].owner, &owner_);
  EXPECT_EQ(lost_[0].userData, &field_);
  // Tab selects the whole text of the next control; typing replaces it.
  key('N', U'n');
  EXPECT_EQ(text(second), "n");
  key(host::kVkReturn, U'\r');
  EXPECT_EQ(Qz_GetFocusedEditControl(), 0u);
  EXPECT_EQ(lost_.size(), 1u);  // the second control holds no user data
  // The window holds the focus now and posts its keys itself, from the
  // release of Return on.
  key('Q', U'q');
  const std::vector<Msg> got = drain(w_);
  ASSERT_GE(got.size(), 2u);
  EXPECT_EQ(got[0], (Msg{IDCMP_RAWKEYUP, host::kVkReturn, 1}));
  EXPECT_EQ(got[1], (Msg{IDCMP_RAWKEY, 'Q', 1}));
}

TEST_F(EditTest, AClickElsewhereTakesTheFocusBeforeTheClickIsPosted) {
  Qz_EditControlClick(edit_, 1, 4);
  hl::click(250, 250);
  ASSERT_EQ(lost_.size(), 1u);
  EXPECT_EQ(lost_[0].clicksQueued, 0u);
  const std::vector<Msg> got = drain(w_);
  EXPECT_NE(std::find(got.begin(), got.end(), Msg{IDCMP_MOUSEBUTTONS, SELECTDOWN, IEQUALIFIER_LEFTBUTTON}),
            got.end());
  // A click on the control gives it the focus again and says nothing to the window.
  hl::click(100 + 20, 100 + 25);
  EXPECT_EQ(Qz_GetFocusedEditControl(), edit_);
  EXPECT_TRUE(drain(w_).empty());
}

TEST_F(EditTest, TheControlShowsOverWhatTheWindowDraws) {
  SetAPen(w_->RPort, kDirectColourFlag | 0x0000FF);
  RectFill(w_->RPort, 0, 0, w_->Width - 1, w_->Height - 1);
  EXPECT_EQ(hl::screenPixel(100 + 100, 100 + 25), 0xFFFFFFu);  // inside the control, no text there
  EXPECT_EQ(hl::screenPixel(100 + 200, 100 + 25), 0xFF0000u);
}

TEST_F(EditTest, AGoneControlIgnoresCalls) {
  Qz_DestroyEditControl(edit_);
  char buf[8] = "old";
  EXPECT_EQ(Qz_SetEditControlText(edit_, "x"), 0);
  EXPECT_EQ(Qz_GetEditControlText(edit_, buf, sizeof(buf)), 0);
  EXPECT_EQ(Qz_GetEditControlUserData(edit_), nullptr);
  Qz_EditControlClick(edit_, 1, 1);
  Qz_DestroyEditControl(edit_);
  EXPECT_EQ(Qz_GetFocusedEditControl(), 0u);
  // Closing a window takes its controls with it.
  QzEditControl other = Qz_CreateEditControl(w_, 0, 0, 50, 10);
  close(w_);
  EXPECT_EQ(Qz_SetEditControlText(other, "x"), 0);
}

}  // namespace
