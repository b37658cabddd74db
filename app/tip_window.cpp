#include "app/tip_window.h"

#include <atomic>

#include "gadgets/qz_group.h"
#include "gadgets/qz_tip_of_the_day.h"
#include "image/qz_image.h"

namespace qz::app {

namespace {
std::atomic<Qz_Object*> gTips{nullptr};  // made on the main window's thread, read by the menu's
}

Qz_Object* tipOfTheDay() {
  if (Qz_Object* tips = gTips.load()) return tips;
  Qz_ImageBase* base = Qz_GetImageBase();
  Qz_Object* tips = Qz_CreateObject("TipOfTheDay", kTipOfTheDaySetTipsFile, "Data/Lingua/TipOfTheDay.QzStr",
                                    kTipOfTheDaySetStateFile, "Data/Prefs/TipOfTheDay.txt");
  if (!tips) return nullptr;
  if (base->screen) Qz_DoMethod(base->screen, kGroupAddTail, tips);
  gTips.store(tips);
  return tips;
}

void forgetTipOfTheDay() { gTips.store(nullptr); }

}  // namespace qz::app
