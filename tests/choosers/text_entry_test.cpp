#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "gadgets/qz_group.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_window.h"
#include "host/headless/headless_host.h"
#include "host/host_input.h"
#include "platform/windows.h"
#include "chooser_support.h"
#include "support/ui_harness.h"

namespace {

const char* textOf(Qz_Object* field) { return reinterpret_cast<const char*>(Qz_DoMethod(field, kStringEditGetText)); }

class TextFields : public testing::Test {
 protected:
  void SetUp() override {
    QzWindowHooks hooks{};
    hooks.editLostFocus = Qz_StringEditFocusLost;
    Qz_SetWindowHooks(&hooks);
  }
  void TearDown() override { Qz_SetWindowHooks(nullptr); }
  qztest::UiHarness ui;
};

TEST_F(TextFields, TextAndNumbersKeepTheirLimits) {
  Qz_Object* f = Qz_CreateObject("StringEdit");
  ASSERT_NE(f, nullptr);
  const std::string long300(300, 'x');
  Qz_DoMethod(f, kStringEditSetText, long300.c_str());
  EXPECT_EQ(std::strlen(textOf(f)), 256u);
  // A cut never splits a character: 255 bytes of "x" then a two-byte one.
  const std::string split = std::string(255, 'x') + "\xC3\xA9";
  Qz_DoMethod(f, kStringEditSetText, split.c_str());
  EXPECT_EQ(std::strlen(textOf(f)), 255u);
  struct Limit {
    QzWord asked, kept;
  };
  for (const Limit& l : {Limit{300, 255}, Limit{0, 0}, Limit{100, 100}, Limit{256, 255}})
    EXPECT_EQ(Qz_DoMethod(f, kStringEditSetMaxLength, l.asked), l.kept) << l.asked;

  struct Number {
    const char* text;
    QzWord value;
  };
  // Base 0 as stored texts expect: "010" is octal 8, and a typed "08" reads 0.
  for (const Number& n : {Number{"0x10", 16}, Number{"010", 8}, Number{"08", 0}, Number{"abc", 0},
                          Number{"-3", uint32_t(-3)}}) {
    Qz_DoMethod(f, kStringEditSetText, n.text);
    EXPECT_EQ(Qz_DoMethod(f, kStringEditGetNumber), n.value) << n.text;
  }
  qztest::Recorder r;
  r.watch(f, kStringEditSetText);
  r.watch(f, kStringEditSetNumber);
  Qz_DoMethod(f, kStringEditSetNumber, 42);
  EXPECT_STREQ(textOf(f), "42");
  EXPECT_EQ(r.values(kStringEditSetText).size(), 1u);  // a text field fires its text
  r.clear();
  Qz_DoMethod(f, kStringEditSetNumeric, 1);
  Qz_DoMethod(f, kStringEditSetText, "0x20");
  EXPECT_EQ(r.values(kStringEditSetNumber), std::vector<QzWord>{32});  // a numeric one its number
  Qz_DisposeObject(f);
}

// The platform's line editor takes over on a click and the text comes back
// when it loses the focus: one change for new text, none for the same.
TEST_F(TextFields, EditingFiresOnceForAChange) {
  Qz_Object* a = Qz_CreateObject("StringEdit", kStringEditSetMaxLength, 20);
  Qz_Object* b = Qz_CreateObject("StringEdit", kStringEditSetMaxLength, 20);
  Qz_Object* win = ui.window("Fields", 100, 100, 200, 0);
  Qz_DoMethod(win, kGroupAddTail, ui.group(1, {a, b}, 6));
  ASSERT_TRUE(ui.open(win));
  qztest::Recorder r;
  r.watch(a, kStringEditSetText);
  const Qz_LayoutBox ba = qztest::UiHarness::box(a), bb = qztest::UiHarness::box(b);
  ASSERT_GT(ba.width, 40);

  struct Case {
    const char* name;
    std::string typed;
    bool enter;  // Enter ends editing instead of a click on the other field
    const char* text;
    std::size_t changes;
  };
  const Case cases[] = {
      {"typed, then a click elsewhere", "abc", false, "abc", 1},
      {"nothing typed", "", false, "abc", 0},
      {"typed, then Enter", "d", true, "abcd", 1},
      {"typed and taken back", "x", false, "abcd", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    r.clear();
    ui.click(win, ba.left + ba.width - 2, ba.top + 4);  // the caret goes to the end
    ASSERT_TRUE(ui.settle(win));
    ASSERT_NE(Qz_GetFocusedEditControl(), 0u);
    if (c.typed == "x") {
      qz::headless::typeText("x");
      qz::headless::typeKey(qz::host::kVkBack, 8);
    } else if (!c.typed.empty()) {
      qz::headless::typeText(c.typed);
    }
    if (c.enter) qz::headless::typeKey(qz::host::kVkReturn, '\r');
    else ui.click(win, bb.left + 4, bb.top + 4);
    ASSERT_TRUE(ui.settle(win));
    ASSERT_TRUE(ui.settle(win));
    EXPECT_STREQ(textOf(a), c.text);
    EXPECT_EQ(r.values(kStringEditSetText).size(), c.changes);
  }
}

// Printed and read the same whatever LC_NUMERIC says.
class MeasurementFields : public TextFields, public testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    TextFields::SetUp();
    saved_ = std::setlocale(LC_NUMERIC, nullptr);
    if (!qztest::useLocale(GetParam())) GTEST_SKIP() << GetParam() << " cannot be made here";
  }
  void TearDown() override {
    std::setlocale(LC_NUMERIC, saved_.c_str());
    TextFields::TearDown();
  }
  std::string saved_;
};

TEST_P(MeasurementFields, ShareTheUnit) {
  Qz_Object* px = Qz_CreateObject("MeasurementEdit", kMeasurementSetInternalUnit, 4, kMeasurementSetUnit, 4);
  Qz_Object* mm = Qz_CreateObject("MeasurementEdit", kMeasurementSetInternalUnit, 2, kMeasurementSetUnit, 2);
  Qz_Object* dpi = Qz_CreateObject("MeasurementEdit", kMeasurementSetInternalUnit, 5, kMeasurementSetUnit, 5);
  ASSERT_TRUE(px && mm && dpi);
  auto field = [](Qz_Object* m) { return reinterpret_cast<Qz_Object*>(Qz_DoMethod(m, kGroupFirst)); };
  qztest::Recorder r;
  r.watch(px, kMeasurementSetValue);
  Qz_DoMethod(px, kMeasurementSetResolution, Qz_FloatToULONG(72.0f));
  Qz_DoMethod(px, kMeasurementSetValue, Qz_FloatToULONG(144.0f));
  Qz_DoMethod(mm, kMeasurementSetValue, Qz_FloatToULONG(10.0f));
  Qz_DoMethod(dpi, kMeasurementSetValue, Qz_FloatToULONG(300.0f));
  EXPECT_STREQ(textOf(field(px)), "144 pixels");
  EXPECT_STREQ(textOf(field(mm)), "10 mm");
  EXPECT_STREQ(textOf(field(dpi)), "300.000 dpi");
  EXPECT_EQ(r.values(kMeasurementSetValue).size(), 1u) << "its own text is not an edit";

  struct Case {
    uint32_t unit;
    const char* px, *mm;
  };
  const Case cases[] = {{3, "2.000000 inches", "0.393700 inches"}, {1, "5.080010 cm", "1.000000 cm"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.unit);
    Qz_DoMethod(px, kMeasurementUnitChosen, c.unit);  // any field tells them all
    EXPECT_STREQ(textOf(field(px)), c.px);
    EXPECT_STREQ(textOf(field(mm)), c.mm);
    EXPECT_STREQ(textOf(field(dpi)), "300.000 dpi");
  }
  EXPECT_NEAR(Qz_ULONGToFloat(Qz_DoMethod(px, kMeasurementGetValue)), 144.0f, 1e-3);
  EXPECT_NEAR(Qz_ULONGToFloat(Qz_DoMethod(mm, kMeasurementGetValue)), 10.0f, 1e-5);

  // No resolution set counts as 72 dpi: never "inf" or "nan".
  Qz_DoMethod(mm, kMeasurementSetResolution, Qz_FloatToULONG(0.0f));
  EXPECT_EQ(Qz_ULONGToFloat(Qz_DoMethod(mm, kMeasurementGetResolution)), 72.0f);
  Qz_DoMethod(mm, kMeasurementUnitChosen, 4);
  EXPECT_STREQ(textOf(field(mm)), "28.346400 pixels");

  // A typed text is an edit: the value in the internal unit is fired.
  r.clear();
  Qz_DoMethod(field(px), kStringEditSetText, "3 inches");
  // px shows pixels now: "3 inches" reads as 3 pixels.
  ASSERT_EQ(r.values(kMeasurementSetValue).size(), 1u);
  EXPECT_NEAR(Qz_ULONGToFloat(r.values(kMeasurementSetValue)[0]), 3.0f, 1e-4);

  // A disposed field no longer listens to the unit.
  Qz_DisposeObject(mm);
  Qz_DoMethod(px, kMeasurementUnitChosen, 2);
  EXPECT_STREQ(textOf(field(px)), "1.058335 mm");
  Qz_DisposeObject(px);
  Qz_DisposeObject(dpi);
}

INSTANTIATE_TEST_SUITE_P(Locales, MeasurementFields, testing::Values("C", "de_DE.UTF-8"));

// The preference list chooses the unit of every field, and follows a unit
// chosen elsewhere.
TEST_F(TextFields, UnitsPreferenceListDrivesEveryField) {
  Qz_Object* prefs = Qz_CreateObject("MeasurementUnitsPrefs");
  Qz_Object* px = Qz_CreateObject("MeasurementEdit", kMeasurementSetInternalUnit, 4, kMeasurementSetUnit, 4,
                                   kMeasurementSetResolution, Qz_FloatToULONG(72.0f));
  ASSERT_TRUE(prefs && px);
  Qz_Object* list = reinterpret_cast<Qz_Object*>(Qz_DoMethod(prefs, kGroupFirst));
  Qz_DoMethod(px, kMeasurementSetValue, Qz_FloatToULONG(72.0f));
  Qz_DoMethod(list, kPopUpListSetIndex, 2);  // the user picks the third unit
  EXPECT_STREQ(textOf(reinterpret_cast<Qz_Object*>(Qz_DoMethod(px, kGroupFirst))), "1.000000 inches");
  Qz_DoMethod(px, kMeasurementUnitChosen, 1);
  EXPECT_EQ(Qz_DoMethod(list, kPopUpListGetIndex), 0u);
  Qz_DisposeObject(px);
  Qz_DisposeObject(prefs);
}

}  // namespace
