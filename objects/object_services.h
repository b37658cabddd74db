// Services every class uses besides dispatch: drawing-info locks, queries
// over the object tree, class search paths, window-layout values, video
// buffers, global shortcut keys and starting a file or command.
#pragma once

#include <cstddef>
#include <cstdint>

#include "objects/qz_draw_info.h"
#include "objects/qz_object.h"

struct Screen;

// The four window-layout values of the global data.
struct Qz_WindowLayoutInfo {
  int32_t values[4];
};

// Handle of an off-screen video buffer.
struct Qz_VideoData {
  void* buffer;
  QzWord reserved;
};

// A global shortcut key; the window event loop matches key presses against
// the list and sends the target its words (method id and arguments).
struct Qz_ShortcutKey {
  Node node;
  QzWord self;         // the record's own address while it is listed
  Qz_Object* target;
  uint32_t keyCode;
  QzWord reserved;
  QzWord value;        // callers pass 123456
  uint32_t count;      // words that follow the record
};

inline const QzWord* Qz_ShortcutKeyWords(const Qz_ShortcutKey* key) {
  return reinterpret_cast<const QzWord*>(reinterpret_cast<const char*>(key) + sizeof(Qz_ShortcutKey));
}

QZ_EXTERN_C_BEGIN

// Drawing info with its draw lock taken and the object's clip installed, or
// NULL (hidden object, no window, or the lock was refused). The unlock puts
// the clip back, releases the lock and lets the host show what was drawn.
QZ_EXPORT Qz_DrawInfo* Qz_LockDrawInfo(Qz_Object* object);
QZ_EXPORT void Qz_UnlockDrawInfo(Qz_Object* object);
// Sends the object's Window the start of a drag (the object and the pointer
// position). 1 when sent, 0 when the object cannot draw.
QZ_EXPORT QzWord Qz_BeginDragAndDrop(Qz_Object* object);
// Drawing info for reading sizes and fonts, without the draw lock; or NULL.
QZ_EXPORT Qz_DrawInfo* Qz_LockDrawInfoForInspection(Qz_Object* object);
QZ_EXPORT void Qz_UnlockDrawInfoForInspection(Qz_Object* object);
// Pixel width of "W" in the info's rast port; 0 without one.
QZ_EXPORT int32_t Qz_GetWidestCharWidth(Qz_DrawInfo* drawInfo);

// The container the object is placed in, or NULL.
QZ_EXPORT Qz_Object* Qz_GetParentObject(Qz_Object* object);
// The object's class id; 0 for NULL.
QZ_EXPORT uint32_t Qz_GetObjectClassID(Qz_Object* object);
// The nearest enclosing object (never the object itself) of that class, or
// of a class among its superclass instances; NULL when none.
QZ_EXPORT Qz_Object* Qz_SearchHierachyForClassId(Qz_Object* object, uint32_t classId);
// Sends the method to every member of the container in order (a member may
// remove itself meanwhile).
QZ_EXPORT void Qz_DoMethodForAllA(Qz_Object* container, uint32_t methodId, const QzWord* args);
// Prints which method of which class the id names (standard output).
QZ_EXPORT void Qz_DebugDoClassMethod(Qz_Object* object, uint32_t methodId);

// Keeps a copy of the path in the global search-path list; 1.
QZ_EXPORT QzWord Qz_AddExternalClassSearchPath(const char* path);
QZ_EXPORT QzWord Qz_RemoveExternalClassSearchPath(const char* path);
QZ_EXPORT QzWord Qz_GetWindowLayoutInfo(Screen* screen, Qz_WindowLayoutInfo* info);

// An off-screen buffer of at least (width + 16) x height x bits / 8 + 1024
// bytes; *rowStride is width x bits / 8 rounded up to a multiple of 16.
// NULL (and *buffer NULL) when the sizes are not positive or memory runs out.
QZ_EXPORT Qz_VideoData* Qz__AllocVideoData(Screen* screen, int32_t width, int32_t height,
                                          int32_t bitsPerPixel, void** buffer, int32_t* rowStride);
QZ_EXPORT void Qz__FreeVideoData(Qz_VideoData* handle);

// Root's object-tree lock: 1 when taken (0 when refused).
QZ_EXPORT QzWord Qz_LockObject(Qz_Object* object);
QZ_EXPORT QzWord Qz_UnlockObject(Qz_Object* object);
// Measures and places the object again in its box, then draws it.
QZ_EXPORT void Qz_RelayoutAndRedrawObject(Qz_Object* object);
// Clears the object's box to its background (under its window's draw lock),
// then draws it: what an earlier layout drew there does not stay.
QZ_EXPORT void Qz_RedrawOverClearedBackground(Qz_Object* object);

// Appends a shortcut record (count words copied) to the global list; the
// record, or NULL.
QZ_EXPORT Qz_ShortcutKey* Qz_AddGlobalShortcutKeyA(uint32_t keyCode, QzWord value, QzWord ignored,
                                                   Qz_Object* target, uint32_t count,
                                                   const QzWord* words);

// Takes the record out of the global list and frees it (a record no longer
// listed is left alone); owners remove theirs before their target goes.
QZ_EXPORT void Qz_RemoveGlobalShortcutKey(Qz_ShortcutKey* key);

// Places a requester's Window object relative to the main window: its left
// and top become the main window's plus 70 and 14 (and the screen's bar
// height, which is 0 here). Without an open main window (or when the window
// is the main window itself) nothing changes, so the requester stays centred.
QZ_EXPORT void Qz_AlignRequestorPosition(Qz_Object* window);

// Opens a file or address with the desktop's opener (xdg-open, never a
// shell). 1 when the opener started, else 0.
QZ_EXPORT QzWord Qz_ExecuteCommand(const char* fileOrCommand);

QZ_EXTERN_C_END

template <typename... Args>
inline void Qz_DoMethodForAll(Qz_Object* container, uint32_t methodId, Args... args) {
  const auto words = qz::packWords(args...);
  Qz_DoMethodForAllA(container, methodId, words.data());
}

// Qz_AddGlobalShortcutKey(key, value, ignored, target, n, word1, ..., wordN)
template <typename... Args>
inline Qz_ShortcutKey* Qz_AddGlobalShortcutKey(uint32_t keyCode, QzWord value, QzWord ignored,
                                               Qz_Object* target, uint32_t count, Args... words) {
  const auto packed = qz::packWords(words...);
  return Qz_AddGlobalShortcutKeyA(keyCode, value, ignored, target,
                                  count < sizeof...(Args) ? count : static_cast<uint32_t>(sizeof...(Args)),
                                  packed.data());
}

namespace qz::objects {

// True while the calling thread holds a drawing lock (Qz_LockDrawInfo):
// the host cannot show anything until it lets go.
bool drawingOnThisThread();

}  // namespace qz::objects
