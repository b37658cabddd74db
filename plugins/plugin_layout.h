// The panel layout: the root list of floating container windows, read from
// and written to the layout file, with the same default built in code.
#pragma once

#include "objects/qz_object.h"

QZ_EXTERN_C_BEGIN
// The layout from the file at path; the built-in default when the file is
// missing or cannot be read. NULL only when not even the default can be made.
QZ_EXPORT Qz_Object* Qz_LoadPluginLayout(const char* path);
// The default: a root list holding the main panel window, whose container
// has one page for each of the panels built so far.
QZ_EXPORT Qz_Object* Qz_DefaultPluginLayout(void);
// Replaces the layout file with the root list as it is now; the old file
// stays unless the new one is completely written. 1, or 0 without a root
// list or when the file cannot be written.
QZ_EXPORT QzWord Qz_SavePluginLayoutTo(const char* path);
QZ_EXPORT QzWord Qz_SavePluginLayout(void);
// Replaces the whole layout, floating windows included, with the one in the
// file; the options panels of the active tool and layer move into it. 1, or
// 0 (and the layout stays) when the file holds no layout.
QZ_EXPORT QzWord Qz_RestorePluginLayoutFrom(const char* path);
QZ_EXPORT QzWord Qz_RestorePluginLayout(void);
// Tells the panels that follow the active image which it is, as they are
// told when it changes: for panels that joined a container since, which
// would otherwise show nothing until the next change. Nothing without an
// active image.
QZ_EXPORT void Qz_AnnounceActiveImageToPanels(void);
// True when the object's window shows the mode-options group, the
// tool-options group or the image-control panel: such windows and their
// containers are never closed.
QZ_EXPORT bool Qz_PluginHoldsOptions(Qz_Object* object);
// The panels in the object's tree (the object itself counting as one when it is a panel).
QZ_EXPORT int32_t Qz_PluginCount(Qz_Object* object);
// The container of the main panel window, or null without one.
QZ_EXPORT Qz_Object* Qz_MainPanelContainer(void);
// Every panel of a floating panel window goes back into the main panel
// column; false (nothing moved) without a column to take them or for the
// main panel window itself.
QZ_EXPORT bool Qz_DockPanelsOf(Qz_Object* window);
QZ_EXTERN_C_END
