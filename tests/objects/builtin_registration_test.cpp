// The gadget classes the object layer registers itself when it is opened.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "objects/qz_builtin_classes.h"
#include "objects/qz_class_record.h"
#include "objects/qz_object.h"

namespace {

// In the order they are registered.
const char* const kBuiltIn[] = {
    "App", "Root", "Group", "Button", "Text", "Space", "LinkedList", "BitMap", "CheckBox", "CompactSlider",
    "Pages", "PopUp", "Scroller", "Slider", "VectorImage", "StringEdit", "PopUpList", "PopUpToolList",
    "ColourBox", "ColourEdit", "ColourSpace", "Menu", "MenuBar", "MenuItem", "MutualExclude", "ListTree",
    "ListTreeItem", "ListTreeNode", "MeasurementEdit", "MeasurementUnitsPrefs", "ToolButton", "ShortcutKey",
    "VerticalPages", "ProgressBar", "Thread", "Window", "VirtualGroup", "Knob", "Angle", "LUTEdit", "DirTree",
    "DirTreeNode", "FileRequester", "TipOfTheDay", "Screen"};

// Classes whose modules are still being written: they are checked once they exist.
const std::set<std::string> kNotBuiltYet = {};

TEST(BuiltInClasses, EveryNameResolvesAfterOpeningAndCycleNever) {
  static_assert(std::size(kBuiltIn) == 45);
  Qz_Init();
  int missing = 0;
  for (const char* name : kBuiltIn) {
    if (Qz_FindClassFromName(name) != nullptr) continue;
    if (kNotBuiltYet.count(name)) {
      ++missing;
      continue;
    }
    ADD_FAILURE() << name << " is not registered";
  }
  if (missing) std::printf("%d built-in classes are not built yet\n", missing);
  EXPECT_EQ(Qz_FindClassFromName("Cycle"), nullptr);
  // Superclasses are linked at registration: App comes before Group, so its link stays empty.
  ASSERT_NE(Qz_FindClassFromName("App"), nullptr);
  EXPECT_EQ(Qz_FindClassFromName("App")->superClass, nullptr);
  EXPECT_EQ(Qz_FindClassFromName("ColourEdit")->superClass, Qz_FindClassFromName("Group"));
  EXPECT_EQ(Qz_FindClassFromName("TipOfTheDay")->superClass, Qz_FindClassFromName("Window"));
  Qz_CleanUp();
}

// Openings are counted: the classes stay until the last cleanup.
TEST(BuiltInClasses, NestedOpeningsKeepThemUntilTheLastCleanup) {
  Qz_Init();
  Qz_Init();
  Qz_CleanUp();
  for (const char* name : {"ColourBox", "ColourSpace", "ColourEdit", "LUTEdit", "TipOfTheDay", "Screen", "App"})
    EXPECT_NE(Qz_FindClassFromName(name), nullptr) << name;
  Qz_CleanUp();
  for (const char* name : {"ColourBox", "ColourSpace", "ColourEdit", "LUTEdit", "TipOfTheDay", "Screen", "App"})
    EXPECT_EQ(Qz_FindClassFromName(name), nullptr) << name;
}

// Registration stops at the first Init that fails; rows without a function are passed over.
std::vector<std::string> gCalled;
template <QzWord Result>
QzWord recordInit(Qz_GlobalData*) {
  gCalled.push_back(Result ? "ok" : "fails");
  return Result;
}

TEST(BuiltInClasses, RegistrationStopsAtTheFirstFailure) {
  using qz::objects::InitRow;
  struct Case {
    std::vector<InitRow> order;
    QzWord result;
    std::vector<std::string> called;
  };
  const Case cases[] = {
      {{{"A", recordInit<1>}, {"B", nullptr}, {"C", recordInit<1>}}, 1, {"ok", "ok"}},
      {{{"A", recordInit<1>}, {"B", recordInit<0>}, {"C", recordInit<1>}, {"D", recordInit<0>}}, 0, {"ok", "fails"}},
      {{{"A", recordInit<0>}, {"B", recordInit<1>}}, 0, {"fails"}},
      {{}, 1, {}},
  };
  for (const Case& c : cases) {
    gCalled.clear();
    EXPECT_EQ(qz::objects::runClassInits(c.order, nullptr), c.result);
    EXPECT_EQ(gCalled, c.called);
  }
}

}  // namespace
