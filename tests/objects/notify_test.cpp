// Notifications between probe objects: a "slider" that notifies "labels".
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "objects/qz_notify.h"
#include "objects/qz_object.h"
#include "probe_classes.h"

namespace {

using qztest::ProbeClass;

constexpr uint32_t kSliderMoved = 0x990050;   // the slider's own method, fired on change
constexpr uint32_t kLabelShow = 0x990060;     // a label method taking up to three words

class Notify : public ::testing::Test {
 protected:
  void SetUp() override {
    slider = Qz_CreateObject("Slider");
    labelA = Qz_CreateObject("Label");
    labelB = Qz_CreateObject("Label");
    ASSERT_TRUE(slider && labelA && labelB);
  }
  void TearDown() override {
    Qz_DisposeObject(slider);
    Qz_DisposeObject(labelA);
    Qz_DisposeObject(labelB);
  }

  std::vector<qztest::ProbeCall> shows() { return labels.callsWithId(kLabelShow); }

  qztest::ObjectSystem system;
  ProbeClass sliders{"Slider"};
  ProbeClass labels{"Label"};
  Qz_Object* slider = nullptr;
  Qz_Object* labelA = nullptr;
  Qz_Object* labelB = nullptr;
};

TEST_F(Notify, TemplateCopiesTheValueWhateverTheTriggerValue) {
  ASSERT_NE(Qz_AddNotify(slider, kSliderMoved, 0, labelA, 2, kRootSetUserData, kNotifyTriggerValue), 0u);
  Qz_DoNotify(slider, kSliderMoved, 42);
  EXPECT_EQ(Qz_DoMethod(labelA, kRootGetUserData), 42u);
  Qz_DoNotify(slider, kSliderMoved, 7);
  EXPECT_EQ(Qz_DoMethod(labelA, kRootGetUserData), 7u);
  Qz_DoNotify(slider, kSliderMoved + 1, 9);  // another method: nothing
  EXPECT_EQ(Qz_DoMethod(labelA, kRootGetUserData), 7u);
}

TEST_F(Notify, PlaceholdersAreReplacedAtEveryFiring) {
  struct Case {
    const char* name;
    QzWord word1, word2;
    QzWord expected1, expected2;
  };
  const Case cases[] = {
      {"value and second argument", kNotifyTriggerValue, kNotifySecondArgument, 5, 6},
      {"same position", kNotifySameWord, kNotifySameWord, 5, 6},
      {"constants stay", 11, kNotifyAnyValue, 11, kNotifyAnyValue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    labels.clear();
    const QzWord record = Qz_AddNotify(slider, kSliderMoved, kNotifyAnyValue, labelA, 3, kLabelShow,
                                       c.word1, c.word2);
    ASSERT_NE(record, 0u);
    Qz_DoNotify(slider, kSliderMoved, 5, 6);
    ASSERT_EQ(shows().size(), 1u);
    EXPECT_EQ(shows()[0].arg0, c.expected1);
    EXPECT_EQ(shows()[0].arg1, c.expected2);
    EXPECT_EQ(Qz_RemoveNotify(slider, record), 1u);
  }
}

TEST_F(Notify, FansOutInOrderAndStopsAfterRemoval) {
  const QzWord toA = Qz_AddNotify(slider, kSliderMoved, 0, labelA, 2, kLabelShow, kNotifyTriggerValue);
  const QzWord toB = Qz_AddNotify(slider, kSliderMoved, 0, labelB, 2, kLabelShow, kNotifyTriggerValue);
  ASSERT_TRUE(toA && toB);
  Qz_DoNotify(slider, kSliderMoved, 1);
  ASSERT_EQ(shows().size(), 2u);
  EXPECT_EQ(shows()[0].object, labelA);
  EXPECT_EQ(shows()[1].object, labelB);
  EXPECT_EQ(Qz_RemoveNotify(slider, toA), 1u);
  Qz_DoNotify(slider, kSliderMoved, 2);
  ASSERT_EQ(shows().size(), 3u);
  EXPECT_EQ(shows()[2].object, labelB);
  // Removal through an object that does not hold the record removes nothing.
  EXPECT_EQ(Qz_RemoveNotify(labelA, toB), 1u);
  Qz_DoNotify(slider, kSliderMoved, 3);
  EXPECT_EQ(shows().size(), 4u);
  // A source without notifications, and bad arguments.
  Qz_Object* quiet = Qz_CreateObject("Label");
  EXPECT_EQ(Qz_RemoveNotify(quiet, toB), 0u);
  Qz_DisposeObject(quiet);
  EXPECT_EQ(Qz_RemoveNotify(nullptr, toB), 0u);
  EXPECT_EQ(Qz_AddNotify(slider, kSliderMoved, 0, nullptr, 1, kLabelShow), 0u);
}

TEST_F(Notify, SymbolicTargetsAreResolvedAtFiring) {
  static Qz_Object* activeLayer;
  activeLayer = labelB;
  Qz_GetGlobalData()->hooks.resolveTarget = [](QzWord symbol) -> Qz_Object* {
    return symbol == kNotifyTargetActiveLayer ? activeLayer : nullptr;
  };
  ASSERT_NE(Qz_AddNotify(slider, kSliderMoved, 0, kNotifyTargetValue, 2, kLabelShow, 1), 0u);
  ASSERT_NE(Qz_AddNotify(slider, kSliderMoved, 0, kNotifyTargetActiveLayer, 2, kLabelShow, 2), 0u);
  ASSERT_NE(Qz_AddNotify(slider, kSliderMoved, 0, kNotifyTargetActiveImage, 2, kLabelShow, 3), 0u);
  Qz_DoNotify(slider, kSliderMoved, labelA);
  ASSERT_EQ(shows().size(), 2u);
  EXPECT_EQ(shows()[0].object, labelA);
  EXPECT_EQ(shows()[0].arg0, 1u);
  EXPECT_EQ(shows()[1].object, labelB);
  EXPECT_EQ(shows()[1].arg0, 2u);
  activeLayer = nullptr;  // no active layer: no delivery
  labels.clear();
  Qz_DoNotify(slider, kSliderMoved, labelA);
  EXPECT_EQ(shows().size(), 1u);
}

TEST_F(Notify, RemovingTheNextRecordDuringADeliveryEndsTheFiring) {
  Qz_AddNotify(slider, kSliderMoved, 0, labelA, 1, kLabelShow);
  static QzWord next;
  next = Qz_AddNotify(slider, kSliderMoved, 0, labelB, 1, kLabelShow);
  labels.onCall = [this](Qz_Object* self, uint32_t id, const QzWord*) {
    if (id == kLabelShow && self == labelA) Qz_RemoveNotify(slider, next);
  };
  Qz_DoNotify(slider, kSliderMoved, 0);
  ASSERT_EQ(shows().size(), 1u);
  EXPECT_EQ(shows()[0].object, labelA);
  labels.onCall = nullptr;
}

TEST_F(Notify, RemovingTheCurrentRecordDuringItsDeliveryGoesOn) {
  static QzWord current;
  current = Qz_AddNotify(slider, kSliderMoved, 0, labelA, 2, kLabelShow, kNotifyTriggerValue);
  Qz_AddNotify(slider, kSliderMoved, 0, labelB, 2, kLabelShow, kNotifyTriggerValue);
  labels.onCall = [this](Qz_Object* self, uint32_t id, const QzWord* args) {
    if (id != kLabelShow || self != labelA) return;
    Qz_RemoveNotify(slider, current);
    EXPECT_EQ(args[0], 3u);  // the words stay readable after their record went
  };
  Qz_DoNotify(slider, kSliderMoved, 3);
  ASSERT_EQ(shows().size(), 2u);
  EXPECT_EQ(shows()[1].object, labelB);
  labels.onCall = nullptr;
}

TEST_F(Notify, LoopGuardSkipsANestedDeliveryToTheTargetBeingServed) {
  Qz_AddNotify(slider, kSliderMoved, 0, labelA, 2, kLabelShow, kNotifyTriggerValue);
  Qz_AddNotify(slider, kSliderMoved, 0, labelB, 2, kLabelShow, kNotifyTriggerValue);
  labels.onCall = [this](Qz_Object* self, uint32_t id, const QzWord* args) {
    // labelA answers a change by moving the slider again.
    if (id == kLabelShow && self == labelA && args[0] == 1) Qz_DoNotify(slider, kSliderMoved, 2);
  };
  Qz_DoNotify(slider, kSliderMoved, 1);
  std::vector<std::pair<Qz_Object*, QzWord>> got;
  for (const auto& c : shows()) got.emplace_back(c.object, c.arg0);
  const std::vector<std::pair<Qz_Object*, QzWord>> expected = {{labelA, 1}, {labelB, 2}, {labelB, 1}};
  EXPECT_EQ(got, expected);
  // The guard is restored afterwards: the next firing reaches labelA again.
  labels.onCall = nullptr;
  labels.clear();
  Qz_DoNotify(slider, kSliderMoved, 5);
  EXPECT_EQ(shows().size(), 2u);
}

struct CallBackLog {
  QzWord userData;
  Qz_Object* source;
  uint32_t method;
  QzWord value;
  QzWord further;
};
std::vector<CallBackLog> gCallBacks;

void recordCallBack(QzWord userData, Qz_Object* source, uint32_t method, const QzWord* words) {
  gCallBacks.push_back(CallBackLog{userData, source, method, words[0], words[1]});
}

TEST_F(Notify, CallBacksReceiveUserDataSourceMethodAndWords) {
  gCallBacks.clear();
  const QzWord record = Qz_AddCallBackNotify(slider, kSliderMoved, 0, recordCallBack, 99);
  ASSERT_NE(record, 0u);
  Qz_AddNotify(slider, kSliderMoved, 0, labelA, 2, kLabelShow, kNotifyTriggerValue);
  Qz_DoNotify(slider, kSliderMoved, 4, 8);
  Qz_DoNotify(slider, kSliderMoved, 5, 9);
  ASSERT_EQ(gCallBacks.size(), 2u);
  EXPECT_EQ(gCallBacks[0].userData, 99u);
  EXPECT_EQ(gCallBacks[0].source, slider);
  EXPECT_EQ(gCallBacks[0].method, kSliderMoved);
  EXPECT_EQ(gCallBacks[0].value, 4u);
  EXPECT_EQ(gCallBacks[0].further, 8u);
  EXPECT_EQ(gCallBacks[1].value, 5u);
  EXPECT_EQ(shows().size(), 2u);  // the record after the callback still fires
  EXPECT_EQ(Qz_RemoveNotify(slider, record), 1u);
  Qz_DoNotify(slider, kSliderMoved, 6);
  EXPECT_EQ(gCallBacks.size(), 2u);
}

TEST_F(Notify, DisposedTargetsAndSourcesUnhookBothWays) {
  Qz_AddNotify(slider, kSliderMoved, 0, labelA, 1, kLabelShow);
  Qz_AddNotify(slider, kSliderMoved, 0, labelB, 1, kLabelShow);
  Qz_AddNotify(labelB, kLabelShow, 0, labelA, 2, kRootSetUserData, 12);
  Qz_DisposeObject(labelA);
  labelA = nullptr;
  Qz_DoNotify(slider, kSliderMoved, 0);
  ASSERT_EQ(shows().size(), 1u);
  EXPECT_EQ(shows()[0].object, labelB);
  Qz_DisposeObject(slider);  // its records at labelB's side go too
  slider = nullptr;
  Qz_DoNotify(labelB, kLabelShow, 0);  // aimed at the disposed labelA: nothing
  slider = Qz_CreateObject("Slider");
}

TEST_F(Notify, ATargetMayDisposeTheSourceDuringTheDelivery) {
  Qz_AddNotify(slider, kSliderMoved, 0, labelA, 1, kLabelShow);
  Qz_AddNotify(slider, kSliderMoved, 0, labelB, 1, kLabelShow);
  labels.onCall = [this](Qz_Object* self, uint32_t id, const QzWord*) {
    if (id == kLabelShow && self == labelA && slider != nullptr) {
      Qz_Object* source = slider;
      slider = nullptr;
      Qz_DisposeObject(source);
    }
  };
  Qz_DoNotify(slider, kSliderMoved, 0);
  EXPECT_EQ(shows().size(), 1u);
  EXPECT_EQ(sliders.live(), 0);
  labels.onCall = nullptr;
}

TEST_F(Notify, FiringFromSeveralThreadsWhileAnotherAddsAndRemoves) {
  std::atomic<int> deliveries{0};
  labels.onCall = [&](Qz_Object*, uint32_t id, const QzWord*) {
    if (id == kLabelShow) ++deliveries;
  };
  ASSERT_NE(Qz_AddNotify(slider, kSliderMoved, 0, labelA, 2, kLabelShow, kNotifyTriggerValue), 0u);
  std::atomic<bool> firing{true};
  auto fire = [&] {
    for (int i = 0; i < 300; ++i) Qz_DoNotify(slider, kSliderMoved, i);
  };
  std::thread churn([&] {
    while (firing) {
      const QzWord record = Qz_AddNotify(slider, kSliderMoved, 0, labelB, 1, kLabelShow);
      Qz_RemoveNotify(slider, record);
    }
  });
  std::thread first(fire), second(fire);
  first.join();
  second.join();
  firing = false;
  churn.join();
  labels.onCall = nullptr;
  // The steady record reached its target once per firing: firings on other
  // threads never count as a delivery in progress on this one.
  int toA = 0;
  for (const auto& c : shows()) toA += c.object == labelA ? 1 : 0;
  EXPECT_EQ(toA, 600);
  EXPECT_GE(deliveries.load(), 600);
}

}  // namespace
