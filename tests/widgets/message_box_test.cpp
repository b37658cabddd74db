#include "objects/message_box.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using qz::msgbox::Answer;

class MessageBox : public testing::Test {
 protected:
  void SetUp() override { qz::msgbox::resetScript(); }
  void TearDown() override { qz::msgbox::resetScript(); }
};

TEST_F(MessageBox, KindsOfferTheirButtonsAndAnswerOkOrYesWithOne) {
  struct Case {
    uint32_t kind;
    Answer answer;
    QzWord result;
    std::vector<std::string> buttons;
  };
  const Case cases[] = {
      {1, Answer::Ok, 1, {"OK"}},          {8, Answer::Ok, 1, {"OK"}},
      {1, Answer::Cancel, 1, {"OK"}},      // dismissing an OK box is its OK
      {4, Answer::Yes, 1, {"Yes", "No"}},  {4, Answer::No, 0, {"Yes", "No"}},
      {4, Answer::Ok, 0, {"Yes", "No"}},   {0, Answer::Ok, 1, {"OK", "Cancel"}},
      {0, Answer::Cancel, 0, {"OK", "Cancel"}}, {2, Answer::Yes, 0, {"OK", "Cancel"}},
      {33, Answer::Ok, 1, {"OK", "Cancel"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " answer " << int(c.answer));
    qz::msgbox::resetScript();
    qz::msgbox::scriptAnswer(c.answer);
    EXPECT_EQ(Qz_MessageBoxA("Title", "Body text", c.kind, nullptr), c.result);
    const auto shown = qz::msgbox::shownBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Title");
    EXPECT_EQ(shown[0].text, "Body text");
    EXPECT_EQ(shown[0].kind, c.kind);
    EXPECT_EQ(shown[0].buttons, c.buttons);
  }
}

TEST_F(MessageBox, UnscriptedBoxesAnswerZeroAndAreStillLogged) {
  EXPECT_EQ(Qz_MessageBoxA(nullptr, nullptr, 4, nullptr), 0u);
  qz::msgbox::scriptAnswer(Answer::Yes);
  qz::msgbox::scriptAnswer(Answer::No);
  EXPECT_EQ(Qz_MessageBoxA("a", "%s%n", 4, nullptr), 1u);
  EXPECT_EQ(Qz_MessageBoxA("b", "second", 4, nullptr), 0u);
  EXPECT_EQ(Qz_MessageBoxA("c", "third", 4, nullptr), 0u);
  const auto shown = qz::msgbox::shownBoxes();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].title, "");
  EXPECT_EQ(shown[1].text, "%s%n") << "texts are shown as given, never used as formats";
  EXPECT_EQ(shown[3].title, "c");
}

TEST_F(MessageBox, OutOfMemoryWarnsWithItsTextOrTheDefault) {
  qz::msgbox::scriptAnswer(Answer::Ok);
  EXPECT_EQ(Qz_OutOfMemory(nullptr), 1u);
  Qz_OutOfMemory("No room for the picture.");
  const auto shown = qz::msgbox::shownBoxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].title, "Error");
  EXPECT_EQ(shown[0].text, "Sorry, out of memory.");
  EXPECT_EQ(shown[0].kind, 1u);
  EXPECT_EQ(shown[1].text, "No room for the picture.");
}

TEST_F(MessageBox, AnswersCallersOnOtherThreads) {
  for (int i = 0; i < 4; ++i) qz::msgbox::scriptAnswer(Answer::Ok);
  QzWord results[4] = {};
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) threads.emplace_back([&results, i] { results[i] = Qz_MessageBoxA("t", "x", 1, nullptr); });
  for (auto& t : threads) t.join();
  for (QzWord r : results) EXPECT_EQ(r, 1u);
  EXPECT_EQ(qz::msgbox::shownBoxes().size(), 4u);
}

}  // namespace
