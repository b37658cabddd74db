// The one way input messages are made: moves and moved/sized messages keep
// only the newest, refresh rectangles merge, everything else queues in order.
#include "tests/windows/window_fixture.h"

using namespace qztest;

namespace {

class PostTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    w_ = open(50, 50, 100, 80);
    ASSERT_NE(w_, nullptr);
    drain(w_);
  }
  void post(uint32_t cls, uint16_t code, uint16_t q) { Qz__PostInputMessage(w_, cls, code, q, 1, 0, 0, 0, 0); }
  Window* w_ = nullptr;
};

TEST_F(PostTest, OnlyTheNewestMoveOrResizeStaysQueued) {
  struct Case {
    const char* name;
    uint32_t cls;
  };
  for (const Case& c : {Case{"mouse move", IDCMP_MOUSEMOVE}, Case{"moved or sized", IDCMP_NEWSIZE},
                        Case{"box changed", IDCMP_CHANGEWINDOW}}) {
    SCOPED_TRACE(c.name);
    post(c.cls, 0, 1);
    post(IDCMP_RAWKEY, 'A', 1);
    post(c.cls, 0, 2);
    EXPECT_EQ(drain(w_), (std::vector<Msg>{{IDCMP_RAWKEY, 'A', 1}, {c.cls, 0, 2}}));
  }
  // Other classes are never merged.
  post(IDCMP_INTUITICKS, 0, 0);
  post(IDCMP_INTUITICKS, 0, 0);
  EXPECT_EQ(drain(w_).size(), 2u);
}

TEST_F(PostTest, RefreshRectanglesMergeIntoOne) {
  Qz__PostInputMessage(w_, IDCMP_REFRESHWINDOW, 0, 0, 1, 0, 0, 10, 10);
  post(IDCMP_MOUSEMOVE, 0, 0);
  Qz__PostInputMessage(w_, IDCMP_REFRESHWINDOW, 0, 0, 1, 5, 5, 20, 30);
  Qz__PostInputMessage(w_, IDCMP_REFRESHWINDOW, 0, 0, 1, -3, 2, 4, 8);
  Message* first = GetMsg(w_->UserPort);
  Message* second = GetMsg(w_->UserPort);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(GetMsg(w_->UserPort), nullptr);
  auto* refresh = reinterpret_cast<InputMessage*>(second);
  EXPECT_EQ(reinterpret_cast<InputMessage*>(first)->Class, IDCMP_MOUSEMOVE);
  EXPECT_EQ(refresh->Class, IDCMP_REFRESHWINDOW);
  EXPECT_EQ(refresh->RefreshLeft, -3);
  EXPECT_EQ(refresh->RefreshTop, 0);
  EXPECT_EQ(refresh->RefreshRight, 20);
  EXPECT_EQ(refresh->RefreshBottom, 30);
  FreeVec(first);
  FreeVec(second);
}

TEST_F(PostTest, UnpostedMessagesAndRefusals) {
  InputMessage* m = Qz__PostInputMessage(w_, IDCMP_RAWKEY, 'Z', 7, 0, 0, 0, 0, 0);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Class, IDCMP_RAWKEY);
  EXPECT_EQ(m->Code, 'Z');
  EXPECT_EQ(m->Qualifier, 7);
  EXPECT_EQ(m->TabletData, nullptr);
  EXPECT_TRUE(drain(w_).empty());
  FreeVec(m);
  EXPECT_EQ(Qz__PostInputMessage(nullptr, IDCMP_RAWKEY, 1, 0, 1, 0, 0, 0, 0), nullptr);
  EXPECT_EQ(Qz__PostInputMessage(nullptr, IDCMP_RAWKEY, 1, 0, 0, 0, 0, 0, 0), nullptr);
}

TEST_F(PostTest, ClosingWithQueuedMessagesFreesThem) {
  // Under the leak checker this fails if any queued message outlives the port.
  for (int i = 0; i < 50; ++i) post(IDCMP_RAWKEY, static_cast<uint16_t>(i), 0);
  Qz__PostInputMessage(w_, IDCMP_REFRESHWINDOW, 0, 0, 1, 1, 2, 3, 4);
  close(w_);
  Window* other = open(50, 50, 10, 10);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(drain(other).size(), 1u);  // its own first refresh only
}

}  // namespace
