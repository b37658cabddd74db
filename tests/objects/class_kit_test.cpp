// The class kit: attribute rows (clamp, answer, notify, object text), the one
// creation and unwinding path (constructors and destructors once each, also
// when creation fails half way) and classes whose superclass is missing.
#include "objects/qz_class_kit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "objects/object_text.h"
#include "objects/qz_notify.h"
#include "probe_classes.h"

namespace {

constexpr uint32_t kSetLevel = 0x9A000A, kGetLevel = 0x9A0014;
constexpr uint32_t kSetCount = 0x9A001E, kGetCount = 0x9A0028;
constexpr uint32_t kSetMask = 0x9A0032, kGetMask = 0x9A003C;
constexpr uint32_t kSetTarget = 0x9A0046, kGetTarget = 0x9A0050;
constexpr uint32_t kOwnAnswer = 0x9A005A;

int gConstructed = 0, gDestroyed = 0, gChanged = 0;
bool gFailSetUp = false, gThrowInConstructor = false;

// Members with real constructors: a destructor that never runs leaks the
// vector's memory (ASan), one that runs twice frees it twice.
struct KitProbe {
  Qz_Object header;
  int16_t level;
  int32_t count;
  uint32_t mask;
  Qz_Object* target;
  std::vector<int> owned;
  KitProbe() : owned(64, 7) {
    if (gThrowInConstructor) throw std::bad_alloc();
    ++gConstructed;
  }
  ~KitProbe() { ++gDestroyed; }
};

const qz::kit::Attribute kAttributes[] = {
    {.setter = kSetLevel, .getter = kGetLevel, .minimum = -100, .maximum = 100, .initial = 7,
     .field = qz::kit::field(&KitProbe::level), .setterName = "Qz_SetKitLevel",
     .getterName = "Qz_GetKitLevel", .changed = [](Qz_Object*) { ++gChanged; }},
    {.setter = kSetCount, .getter = kGetCount, .field = qz::kit::field(&KitProbe::count),
     .setterName = "Qz_SetKitCount", .getterName = "Qz_GetKitCount"},
    {.setter = kSetMask, .getter = kGetMask, .minimum = 0, .maximum = 0xFFF, .initial = 0x10,
     .field = qz::kit::field(&KitProbe::mask), .setterName = "Qz_SetKitMask",
     .getterName = "Qz_GetKitMask", .format = "%lx"},
    {.setter = kSetTarget, .getter = kGetTarget, .field = qz::kit::field(&KitProbe::target),
     .answersZero = true},
};

QzWord Qz__KitProbeHandler(Qz_Object* object, uint32_t id, const QzWord* args) {
  switch (id) {
    case kOwnAnswer: return 42;
    default: return qz::kit::inherited(object, id, args);
  }
}

bool Qz__KitProbeSetUp(Qz_Object*) { return !gFailSetUp; }

const qz::kit::ClassDecl kKitProbe = {
    .name = "KitProbe", .superName = "Root", .classId = 0x9A0000,
    .instance = qz::kit::instanceOf<KitProbe>(), .handler = Qz__KitProbeHandler,
    .attributes = kAttributes, .setUp = Qz__KitProbeSetUp};

const qz::kit::ClassDecl kOrphan = {
    .name = "KitOrphan", .superName = "NoSuchClass", .classId = 0x9A0000,
    .instance = qz::kit::instanceOf<KitProbe>()};

class ClassKit : public ::testing::Test {
 protected:
  void SetUp() override {
    gConstructed = gDestroyed = gChanged = 0;
    gFailSetUp = gThrowInConstructor = false;
    ASSERT_EQ(qz::kit::addClass(kKitProbe), 1u);
  }
  void TearDown() override {
    qz::kit::removeClass(kKitProbe);
    qz::kit::removeClass(kOrphan);
    EXPECT_EQ(gConstructed, gDestroyed);
  }
  qztest::ObjectSystem system;
};

TEST_F(ClassKit, AttributeRowsClampAnswerAndKeepDefaults) {
  Qz_Object* object = Qz_CreateObject("KitProbe");
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(Qz_DoMethod(object, kGetLevel), 7u);
  EXPECT_EQ(Qz_DoMethod(object, kGetMask), 0x10u);
  struct Case {
    const char* name;
    uint32_t setter, getter;
    QzWord value;
    QzWord expected;  // what the setter answers and the getter gives afterwards
  };
  const Case cases[] = {
      {"inside the range", kSetLevel, kGetLevel, 55, 55},
      {"above the maximum", kSetLevel, kGetLevel, 1000, 100},
      {"below the minimum, negative", kSetLevel, kGetLevel, uint32_t(-5000), uint32_t(-100)},
      {"a 16-bit field is clamped, not cut", kSetLevel, kGetLevel, 0x10005, 100},
      {"whole 32-bit range, negative", kSetCount, kGetCount, uint32_t(-123456), uint32_t(-123456)},
      {"unsigned above its maximum", kSetMask, kGetMask, 0xFFFFF, 0xFFF},
      {"unsigned inside", kSetMask, kGetMask, 0xABC, 0xABC},
      {"a word is kept whole", kSetTarget, kGetTarget, QzWord(object), QzWord(object)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool answersZero = c.setter == kSetTarget;
    EXPECT_EQ(Qz_DoMethod(object, c.setter, c.value), answersZero ? 0 : c.expected);
    EXPECT_EQ(Qz_DoMethod(object, c.getter), c.expected);
  }
  // The handler's own ids, and Root's through the superclass fallback.
  EXPECT_EQ(Qz_DoMethod(object, kOwnAnswer), 42u);
  Qz_DoMethod(object, kRootSetUserData, 99);
  EXPECT_EQ(Qz_DoMethod(object, kRootGetUserData), 99u);
  Qz_DisposeObject(object);
}

std::vector<QzWord> gNotified;
void Qz__RecordNotify(QzWord, Qz_Object*, uint32_t, const QzWord* words) {
  gNotified.push_back(words[0]);
}

TEST_F(ClassKit, ASetterNotifiesTheStoredValueOnlyWhenItChanges) {
  Qz_Object* object = Qz_CreateObject("KitProbe");
  ASSERT_NE(object, nullptr);
  gNotified.clear();
  ASSERT_NE(Qz_AddCallBackNotify(object, kSetLevel, kNotifyAnyValue, Qz__RecordNotify, 0), 0u);
  Qz_DoMethod(object, kSetLevel, 500);  // stored as 100
  Qz_DoMethod(object, kSetLevel, 100);  // no change
  Qz_DoMethod(object, kSetLevel, 101);  // clamped to the same value: no change
  Qz_DoMethod(object, kSetLevel, 3);
  EXPECT_EQ(gNotified, (std::vector<QzWord>{100, 3}));
  EXPECT_EQ(gChanged, 2);
  Qz_DisposeObject(object);
}

TEST_F(ClassKit, StoredAttributesGoThroughObjectTextAndBack) {
  Qz_Object* object = Qz_CreateObject("KitProbe");
  ASSERT_NE(object, nullptr);
  Qz_DoMethod(object, kSetLevel, uint32_t(-42));
  Qz_DoMethod(object, kSetCount, 123456);
  Qz_DoMethod(object, kSetMask, 0xABC);
  size_t length = 0;
  char* text = Qz_StoreObjectToBuffer(object, &length, 0);
  ASSERT_NE(text, nullptr);
  const std::string stored(text, length);
  EXPECT_NE(stored.find("KitProbe"), std::string::npos) << stored;
  EXPECT_NE(stored.find("Qz_SetKitMask"), std::string::npos) << stored;
  Qz_Object* restored = Qz_CreateObjectsFromString(text);
  ASSERT_NE(restored, nullptr) << stored;
  EXPECT_EQ(Qz_DoMethod(restored, kGetLevel), uint32_t(-42));
  EXPECT_EQ(Qz_DoMethod(restored, kGetCount), 123456u);
  EXPECT_EQ(Qz_DoMethod(restored, kGetMask), 0xABCu);
  Qz_DisposeObject(restored);
  std::free(text);
  Qz_DisposeObject(object);
}

TEST_F(ClassKit, ConstructAndDestroyRunOnceEachAlsoWhenCreationFails) {
  ASSERT_EQ(qz::kit::addClass(kOrphan), 1u);
  struct Case {
    const char* name;
    const char* className;
    bool failSetUp, throwInConstructor;
    bool made;
    int constructed;
  };
  const Case cases[] = {
      {"made and disposed", "KitProbe", false, false, true, 1},
      {"set-up refuses", "KitProbe", true, false, false, 1},
      {"the constructor throws", "KitProbe", false, true, false, 0},
      {"the superclass does not exist", "KitOrphan", false, false, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gConstructed = gDestroyed = 0;
    gFailSetUp = c.failSetUp;
    gThrowInConstructor = c.throwInConstructor;
    Qz_Class* objectClass = Qz_FindClassFromName(c.className);
    ASSERT_NE(objectClass, nullptr);
    Qz_Object* object = Qz_CreateObject(c.className);
    EXPECT_EQ(object != nullptr, c.made);
    Qz_DisposeObject(object);
    EXPECT_EQ(gConstructed, c.constructed);
    EXPECT_EQ(gDestroyed, c.constructed);
    EXPECT_EQ(objectClass->liveCount, 0);
  }
  gFailSetUp = gThrowInConstructor = false;
}

TEST_F(ClassKit, AClassWithAMissingSuperclassIsRefusedCleanly) {
  const qz::kit::ClassDecl noName = {.superName = "Root", .classId = 0x9A0000};
  EXPECT_EQ(qz::kit::addClass(noName), 0u);
  // Without a superclass name the class stands alone (as Root does).
  const qz::kit::ClassDecl alone = {.name = "KitAlone", .classId = 0x9A0000,
                                    .instance = qz::kit::instanceOf<KitProbe>(),
                                    .attributes = kAttributes};
  ASSERT_EQ(qz::kit::addClass(alone), 1u);
  Qz_Object* record = Qz_CreateObject("KitAlone", kSetLevel, 12);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->super, nullptr);
  EXPECT_EQ(Qz_DoMethod(record, kGetLevel), 12u);
  EXPECT_EQ(Qz_DoMethod(record, kRootGetUserData), 0u);  // nobody to pass it to
  Qz_DisposeObject(record);
  qz::kit::removeClass(alone);
  // Registered before its superclass exists: its link stays empty and it
  // makes no objects until that class is there.
  ASSERT_EQ(qz::kit::addClass(kOrphan), 1u);
  EXPECT_EQ(Qz_FindClassFromName("KitOrphan")->superClass, nullptr);
  EXPECT_EQ(Qz_CreateObject("KitOrphan"), nullptr);
  EXPECT_EQ(qz::kit::declOf(Qz_FindClassFromName("KitOrphan")), &kOrphan);
  qztest::ProbeClass handMade{"KitHandMade"};
  EXPECT_EQ(qz::kit::declOf(Qz_FindClassFromName("KitHandMade")), nullptr);
}

TEST_F(ClassKit, AClassRegisteredAgainReusesItsRecord) {
  Qz_Class* first = Qz_FindClassFromName("KitProbe");
  EXPECT_EQ(qz::kit::addClass(kKitProbe), 1u);
  qz::kit::removeClass(kKitProbe);
  EXPECT_EQ(Qz_FindClassFromName("KitProbe"), nullptr);
  ASSERT_EQ(qz::kit::addClass(kKitProbe), 1u);
  EXPECT_EQ(Qz_FindClassFromName("KitProbe"), first);
  // The method table describes the stored attributes for object text.
  const Qz_Method* setter = Qz_FindMethodFromId(first, kSetMask);
  ASSERT_NE(setter, nullptr);
  EXPECT_STREQ(setter->name, "Qz_SetKitMask");
  EXPECT_EQ(setter->pairedId, kGetMask);
  EXPECT_EQ(Qz_FindMethodFromId(first, kSetTarget), nullptr);
}

// A class that cannot go at once (a window disposed from its own thread)
// puts its disposal off and ends it later: destroyed once, only then.
bool gPutOff = false;

const qz::kit::ClassDecl kDeferring = {
    .name = "KitDeferring", .superName = "Root", .classId = 0x9A0000,
    .instance = qz::kit::instanceOf<KitProbe>(),
    .deferDispose = [](Qz_Object*) { return gPutOff; }};

TEST_F(ClassKit, ADeferredDisposalEndsWhenTheClassFinishesIt) {
  ASSERT_EQ(qz::kit::addClass(kDeferring), 1u);
  for (const bool putOff : {false, true}) {
    SCOPED_TRACE(putOff ? "put off" : "at once");
    gConstructed = gDestroyed = 0;
    gPutOff = putOff;
    Qz_Object* object = Qz_CreateObject("KitDeferring");
    ASSERT_NE(object, nullptr);
    Qz_DisposeObject(object);
    EXPECT_EQ(gDestroyed, putOff ? 0 : 1);
    if (putOff) {
      EXPECT_EQ(object->self, reinterpret_cast<QzWord>(object));  // still there
      qz::kit::finishDispose(object);
      EXPECT_EQ(gDestroyed, 1);
    }
  }
  gPutOff = false;
  qz::kit::removeClass(kDeferring);
}

}  // namespace
