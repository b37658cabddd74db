// The gadget classes the object layer registers when it is opened, in the
// fixed order the toolkit relies on: superclasses are looked up by name at
// registration, so a class registered before its superclass gets none
// (App's superclass record stays empty; it delegates to a Group instance
// made by name all the same). Registration stops at the first Init that
// fails. A row without functions is a class not built yet: it is skipped.
#include <cstddef>

#include "gadgets/qz_app.h"
#include "gadgets/qz_choice.h"
#include "gadgets/qz_colour_edit.h"
#include "gadgets/qz_file_requester.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_list_tree.h"
#include "gadgets/qz_lut_edit.h"
#include "gadgets/qz_pages.h"
#include "gadgets/qz_popups.h"
#include "gadgets/qz_screen.h"
#include "gadgets/qz_scroller.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_text_entry.h"
#include "gadgets/qz_tip_of_the_day.h"
#include "gadgets/qz_thread.h"
#include "gadgets/qz_widgets.h"
#include "gadgets/qz_window.h"
#include "objects/object_internal.h"
#include "objects/qz_builtin_classes.h"

namespace qz::objects {

namespace {

typedef void (*CleanupFunction)(void);

struct CleanupRow {
  const char* name;
  CleanupFunction cleanup;
};

// App's Init also starts the platform's task and window services.
const InitRow kRegistrationOrder[] = {
    {"App", Qz_InitAppClass},
    {"Root", Qz_InitRootClass},
    {"Group", Qz_InitGroupClass},
    {"Button", Qz_InitButtonClass},
    {"Text", Qz_InitTextClass},
    {"Space", Qz_InitSpaceClass},
    {"LinkedList", Qz_InitLinkedListClass},
    {"BitMap", Qz_InitBitMapClass},
    {"CheckBox", Qz_InitCheckBoxClass},
    {"CompactSlider", Qz_InitCompactSliderClass},
    {"Pages", Qz_InitPagesClass},
    {"PopUp", Qz_InitPopUpClass},
    {"Scroller", Qz_InitScrollerClass},
    {"Slider", Qz_InitSliderClass},
    {"VectorImage", Qz_InitVectorImageClass},
    {"StringEdit", Qz_InitStringEditClass},
    {"PopUpList", Qz_InitPopUpListClass},
    {"PopUpToolList", Qz_InitPopUpToolListClass},
    {"ColourBox", Qz_InitColourBoxClass},
    {"ColourEdit", Qz_InitColourEditClass},
    {"ColourSpace", Qz_InitColourSpaceClass},
    {"Menu", Qz_InitMenuClass},
    {"MenuBar", Qz_InitMenuBarClass},
    {"MenuItem", Qz_InitMenuItemClass},
    {"MutualExclude", Qz_InitMutualExcludeClass},
    {"ListTree", Qz_InitListTreeClass},
    {"ListTreeItem", Qz_InitListTreeItemClass},
    {"ListTreeNode", Qz_InitListTreeNodeClass},
    {"MeasurementEdit", Qz_InitMeasurementEditClass},
    {"MeasurementUnitsPrefs", Qz_InitMeasurementUnitsPrefsClass},
    {"ToolButton", Qz_InitToolButtonClass},
    {"ShortcutKey", Qz_InitShortcutKeyClass},
    {"VerticalPages", Qz_InitVerticalPagesClass},
    {"ProgressBar", Qz_InitProgressBarClass},
    {"Thread", Qz_InitThreadClass},
    {"Window", Qz_InitWindowClass},
    {"VirtualGroup", Qz_InitVirtualGroupClass},
    {"Knob", Qz_InitKnobClass},
    {"Angle", Qz_InitAngleClass},
    {"LUTEdit", Qz_InitLUTEditClass},
    {"DirTree", Qz_InitDirTreeClass},
    {"DirTreeNode", Qz_InitDirTreeNodeClass},
    {"FileRequester", Qz_InitFileRequesterClass},
    {"TipOfTheDay", Qz_InitTipOfTheDayClass},
    {"Screen", Qz_InitScreenClass},
};

// Each Cleanup removes its class only when it was registered. App's also
// ends the platform's task and window services.
const CleanupRow kRemovalOrder[] = {
    {"Angle", Qz_CleanupAngleClass},
    {"BitMap", Qz_CleanupBitMapClass},
    {"Button", Qz_CleanupButtonClass},
    {"CheckBox", Qz_CleanupCheckBoxClass},
    {"ColourBox", Qz_CleanupColourBoxClass},
    {"ColourEdit", Qz_CleanupColourEditClass},
    {"ColourSpace", Qz_CleanupColourSpaceClass},
    {"CompactSlider", Qz_CleanupCompactSliderClass},
    {"DirTree", Qz_CleanupDirTreeClass},
    {"DirTreeNode", Qz_CleanupDirTreeNodeClass},
    {"FileRequester", Qz_CleanupFileRequesterClass},
    {"Knob", Qz_CleanupKnobClass},
    {"LinkedList", Qz_CleanupLinkedListClass},
    {"ListTree", Qz_CleanupListTreeClass},
    {"ListTreeItem", Qz_CleanupListTreeItemClass},
    {"ListTreeNode", Qz_CleanupListTreeNodeClass},
    {"LUTEdit", Qz_CleanupLUTEditClass},
    {"MeasurementEdit", Qz_CleanupMeasurementEditClass},
    {"MeasurementUnitsPrefs", Qz_CleanupMeasurementUnitsPrefsClass},
    {"MenuItem", Qz_CleanupMenuItemClass},
    {"Menu", Qz_CleanupMenuClass},
    {"MenuBar", Qz_CleanupMenuBarClass},
    {"MutualExclude", Qz_CleanupMutualExcludeClass},
    {"Pages", Qz_CleanupPagesClass},
    {"PopUp", Qz_CleanupPopUpClass},
    {"PopUpList", Qz_CleanupPopUpListClass},
    {"PopUpToolList", Qz_CleanupPopUpToolListClass},
    {"ProgressBar", Qz_CleanupProgressBarClass},
    {"Scroller", Qz_CleanupScrollerClass},
    {"Screen", Qz_CleanupScreenClass},
    {"Slider", Qz_CleanupSliderClass},
    {"Space", Qz_CleanupSpaceClass},
    {"ShortcutKey", Qz_CleanupShortcutKeyClass},
    {"StringEdit", Qz_CleanupStringEditClass},
    {"Text", Qz_CleanupTextClass},
    {"Thread", Qz_CleanupThreadClass},
    {"TipOfTheDay", Qz_CleanupTipOfTheDayClass},
    {"ToolButton", Qz_CleanupToolButtonClass},
    {"Window", Qz_CleanupWindowClass},
    {"VerticalPages", Qz_CleanupVerticalPagesClass},
    {"VectorImage", Qz_CleanupVectorImageClass},
    {"VirtualGroup", Qz_CleanupVirtualGroupClass},
    {"Group", Qz_CleanupGroupClass},
    {"Root", Qz_CleanupRootClass},
    {"App", Qz_CleanupAppClass},
};

}  // namespace

QzWord runClassInits(std::span<const InitRow> order, Qz_GlobalData* globalData) {
  for (const InitRow& row : order) {
    if (row.init != nullptr && row.init(globalData) == 0) return 0;
  }
  return 1;
}

QzWord registerBuiltInClasses(Qz_GlobalData* globalData) { return runClassInits(kRegistrationOrder, globalData); }

void removeBuiltInClasses(Qz_GlobalData* /*globalData*/) {
  for (const CleanupRow& row : kRemovalOrder) {
    if (row.cleanup != nullptr) row.cleanup();
  }
}

}  // namespace qz::objects
