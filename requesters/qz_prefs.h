// QuillantrixPrefs: every user setting, stored as one object and shown in
// the preferences window. Its method ids, and where it keeps the global
// words that other modules read.
#pragma once

#include <atomic>
#include <cstdint>

#include "objects/qz_object.h"

inline constexpr uint32_t kPrefsClassId = 0x3E80004;
// Setters; each getter is 10 above its setter.
inline constexpr uint32_t kPrefsSetSmartRefresh = 0x3E8000E;
inline constexpr uint32_t kPrefsSetIconRedraw = 0x3E8005E;
inline constexpr uint32_t kPrefsSetMagnifyRedraw = 0x3E80086;
inline constexpr uint32_t kPrefsGetMagnifyRedraw = 0x3E80090;
inline constexpr uint32_t kPrefsSetAreYouSure = 0x3E80072;
inline constexpr uint32_t kPrefsSetCreateBackups = 0x3E800D6;
inline constexpr uint32_t kPrefsSetToolTips = 0x3E8009A;
inline constexpr uint32_t kPrefsSetFileRequesterType = 0x3E800EA;
inline constexpr uint32_t kPrefsSetColour = 0x13005D;
inline constexpr uint32_t kPrefsSetMediaName = 0x100065;
inline constexpr uint32_t kPrefsSetUndoSize = 0x3E80022;
inline constexpr uint32_t kPrefsSetRedrawMode = 0x3E80036;
inline constexpr uint32_t kPrefsSetScreenModeId = 0x460190;
inline constexpr uint32_t kPrefsSetTabMode = 0x3E800FE;
inline constexpr uint32_t kPrefsSetRoundZoom = 0x3E80194;
inline constexpr uint32_t kPrefsSetSamePath = 0x3E80112;
inline constexpr uint32_t kPrefsSetSavePath = 0x3E800C2;
inline constexpr uint32_t kPrefsSetLoadPath = 0x3E800AE;
inline constexpr uint32_t kPrefsSetXSpacing = 0x3E80126;
inline constexpr uint32_t kPrefsSetYSpacing = 0x3E8013A;
inline constexpr uint32_t kPrefsSetICM = 0x3E801A8;
inline constexpr uint32_t kPrefsGetterOffset = 10;
// Actions.
inline constexpr uint32_t kPrefsApply = 0x3E8004A;    // globals from the window, on the caller
inline constexpr uint32_t kPrefsStore = 0x3E80176;    // writes the preferences file
inline constexpr uint32_t kPrefsRefresh = 0x3E8018A;  // the window from the globals
// The window's buttons (their user data).
inline constexpr QzWord kPrefsUse = 0, kPrefsSave = 1, kPrefsCancel = 2;

inline constexpr const char* kPrefsFile = "Data/Prefs/QuillantrixPrefs.QzStr";
inline constexpr uint32_t kPrefsPathBytes = 260;  // folders keep at most 259 bytes

namespace qz::prefs {

// The global words of the object layer's record that the preferences own:
// the side tabs follow the pointer, smart refresh and the window spacings.
inline std::atomic_ref<int32_t> sideTabsFollowPointer() {
  return std::atomic_ref<int32_t>(Qz_GetGlobalData()->sideTabHover);
}
inline std::atomic_ref<int32_t> layoutWord(int index) {
  return std::atomic_ref<int32_t>(Qz_GetGlobalData()->windowLayout[index]);
}
inline std::atomic_ref<int32_t> smartRefresh() { return layoutWord(0); }
inline std::atomic_ref<int32_t> windowXSpacing() { return layoutWord(1); }
inline std::atomic_ref<int32_t> windowYSpacing() { return layoutWord(2); }
inline std::atomic_ref<int32_t> toolTips() { return std::atomic_ref<int32_t>(Qz_GetGlobalData()->toolTips); }

}  // namespace qz::prefs

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitQuillantrixPrefsClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupQuillantrixPrefsClass(void);
// The preferences restored from the file at path, or new ones holding the
// values in force when the file is missing, unreadable or not preferences.
QZ_EXPORT Qz_Object* Qz_RestorePrefs(const char* path);
// The colour-matching flags word (1 matching off, 2 proofing).
QZ_EXPORT uint32_t Qz_ICMFlags(void);
QZ_EXPORT void Qz_SetICMFlags(uint32_t flags);
QZ_EXTERN_C_END
