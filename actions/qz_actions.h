// Undoable edits: the undo list of a document, the RootAction class and its
// points, the action classes built on it, the mode choice, and the replay
// that rebuilds a layer from its undo planes and its actions.
#pragma once

#include <cstdint>

#include "image/qz_image.h"
#include "modes/qz_root_mode.h"
#include "objects/qz_object.h"

// ---- class ids ----------------------------------------------------------------
inline constexpr uint32_t kRootActionClassId = 0x13890000;
inline constexpr uint32_t kPointActionClassId = 0x138f0000;
inline constexpr uint32_t kTextActionClassId = 0x138c0000;
inline constexpr uint32_t kFloodFillActionClassId = 0x13910000;
inline constexpr uint32_t kMediaSettingsActionClassId = 0x13940000;
inline constexpr uint32_t kColourActionClassId = 0x13960000;
inline constexpr uint32_t kModeActionClassId = 0x13980000;
inline constexpr uint32_t kCropActionClassId = 0x13990000;
inline constexpr uint32_t kFillImageActionClassId = 0x139a0000;  // also ButtonAction
inline constexpr uint32_t kImageActionClassId = 0x139b0000;      // also CollapseAction
inline constexpr uint32_t kDisposeImageActionClassId = 0x139c0000;
inline constexpr uint32_t kTransformActionClassId = 0x139d0000;
inline constexpr uint32_t kPositionActionClassId = 0x13a10000;
inline constexpr uint32_t kInvertImageActionClassId = 0x13a60000;

// ---- RootAction methods ---------------------------------------------------------
inline constexpr uint32_t kActionSetName = 0x1389000c;
inline constexpr uint32_t kActionGetName = 0x1389000d;
inline constexpr uint32_t kActionApply = 0x13890014;
inline constexpr uint32_t kActionApplyQuiet = 0x13890015;  // apply without marking modified
inline constexpr uint32_t kActionSetLayer = 0x1389001e;
inline constexpr uint32_t kActionGetLayer = 0x13890028;
inline constexpr uint32_t kActionSetImage = 0x13890029;
inline constexpr uint32_t kActionGetImage = 0x1389002a;
inline constexpr uint32_t kActionShowHandles = 0x13890032;
inline constexpr uint32_t kActionHideHandles = 0x1389003c;
inline constexpr uint32_t kActionSetX = 0x13890046;  // also bounds left
inline constexpr uint32_t kActionGetX = 0x13890050;
inline constexpr uint32_t kActionSetY = 0x1389005a;  // also bounds top
inline constexpr uint32_t kActionGetY = 0x13890064;
inline constexpr uint32_t kActionSetWidth = 0x1389006e;
inline constexpr uint32_t kActionGetWidth = 0x13890078;
inline constexpr uint32_t kActionSetHeight = 0x13890082;
inline constexpr uint32_t kActionGetHeight = 0x1389008c;
inline constexpr uint32_t kActionSetBoundFields = 0x13890096;
inline constexpr uint32_t kActionRecomputeBounds = 0x1389009b;
inline constexpr uint32_t kActionGetBounds = 0x138900a0;
inline constexpr uint32_t kActionMove = 0x138900ab;
inline constexpr uint32_t kActionSetAngle = 0x138900b4;
inline constexpr uint32_t kActionToolbarImage = 0x138900c8;
inline constexpr uint32_t kActionActivated = 0x138900d2;    // notified on the application
inline constexpr uint32_t kActionDeactivated = 0x138900dc;  // notified on the application
inline constexpr uint32_t kActionSetUserValue = 0x138900e6;
inline constexpr uint32_t kActionGetUserValue = 0x138900f0;
inline constexpr uint32_t kActionSetTool = 0x138900fa;
inline constexpr uint32_t kActionGetTool = 0x13890104;
inline constexpr uint32_t kActionSetFlags = 0x1389010e;
inline constexpr uint32_t kActionGetFlags = 0x13890118;
inline constexpr uint32_t kActionSetQualifier = 0x13890122;
inline constexpr uint32_t kActionGetQualifier = 0x1389012c;
inline constexpr uint32_t kActionStartPoints = 0x13890136;
inline constexpr uint32_t kActionGetPoints = 0x13890137;
inline constexpr uint32_t kActionAddPoint = 0x13890138;
inline constexpr uint32_t kActionSetStrokeFlags = 0x13890140;
inline constexpr uint32_t kActionGetStrokeFlags = 0x1389014a;
inline constexpr uint32_t kActionDrawHandles = 0x13890154;
inline constexpr uint32_t kActionInputEvent = 0x1389019a;  // tool object, event
inline constexpr uint32_t kActionUndo = 0x13890186;  // the action is being undone
inline constexpr uint32_t kActionRedo = 0x13890190;
inline constexpr uint32_t kActionBaseSize = 0x138901a4;
inline constexpr uint32_t kActionTotalSize = 0x138901ae;
inline constexpr uint32_t kActionTakeUndoCopy = 0x138901b8;
inline constexpr uint32_t kActionDisposeUndoCopy = 0x138901c2;
inline constexpr uint32_t kActionRestoreUndoCopy = 0x138901cc;
inline constexpr uint32_t kActionSetUndoable = 0x138901cd;
inline constexpr uint32_t kActionGetUndoable = 0x138901ce;
inline constexpr uint32_t kActionSetSymmetry = 0x13890212;
inline constexpr uint32_t kActionGetSymmetry = 0x1389021c;
inline constexpr uint32_t kActionDropUndoData = 0x10280;

inline constexpr uint32_t kPointSetPressure = 0x138f012d;
inline constexpr uint32_t kPointGetPressure = 0x138f012e;

// Action flags.
enum : uint32_t {
  kActionFreehand = 0x2,
  kActionLines = 0x4,
  kActionCurve = 0x10,
  kActionOutline = 0x20,
  kActionPolygon = 0x40,
  kActionBoxHandles = 0x80,
  kActionWithStepBefore = 0x200,  // undone and redone with the step before it
  kActionRestorePoint = 0x400,  // points in image coordinates; the replay starts after it
  kActionPanelStop = 0x800,     // the undo panel lists nothing from here on
};

// ---- the media and tool boundary --------------------------------------------------
inline constexpr uint32_t kMediaStroke = 0x110050;
inline constexpr uint32_t kMediaStrokeLine = 0x110064;
inline constexpr uint32_t kMediaStrokeCurve = 0x11006e;
inline constexpr uint32_t kMediaSetSize = 0x110014;
inline constexpr uint32_t kMediaGetSize = 0x11001e;
inline constexpr uint32_t kMediaSetPressure = 0x110028;
inline constexpr uint32_t kMediaGetPressure = 0x110032;
// Stroke flags: bit 1 do not mark modified; bit 2 continue the current stroke.
enum : uint32_t { kStrokeQuiet = 1, kStrokeContinue = 2 };
inline constexpr uint32_t kToolShowOptions = 0x17710032;
inline constexpr uint32_t kToolHideOptions = 0x1771003c;

// ---- action-class attributes -------------------------------------------------------
inline constexpr uint32_t kColourActionSetRGB = 0x1396000a;
inline constexpr uint32_t kColourActionGetRGB = 0x13960014;
inline constexpr uint32_t kColourActionSetNewRGB = 0x1396001e;
inline constexpr uint32_t kColourActionGetNewRGB = 0x13960028;
inline constexpr uint32_t kColourActionRecord = kQzImageSetColour;  // the new colour, recorded
inline constexpr uint32_t kTextActionSetFontSize = 0x138c001e;
inline constexpr uint32_t kTextActionGetFontSize = 0x138c0028;
inline constexpr uint32_t kTextActionSetString = 0x138c0032;  // UTF-8
inline constexpr uint32_t kTextActionGetString = 0x138c003c;
inline constexpr uint32_t kTextActionSetFontName = 0x138c0046;
inline constexpr uint32_t kTextActionGetFontName = 0x138c0050;
inline constexpr uint32_t kTextActionSetTrans = 0x138c005a;  // glyph strength, 255 full
inline constexpr uint32_t kTextActionGetTrans = 0x138c0064;
inline constexpr uint32_t kTextActionSetAntiAlias = 0x138c006e;  // drawn at n times the size
inline constexpr uint32_t kTextActionGetAntiAlias = 0x138c0078;
inline constexpr uint32_t kTextActionSetLive = 0x138c0082;
inline constexpr uint32_t kTextActionGetLive = 0x138c008c;
inline constexpr uint32_t kTextActionDrawCursor = 0x138c0096;
inline constexpr uint32_t kTextActionEraseCursor = 0x138c00a0;
inline constexpr uint32_t kTextActionSetStyle = 0x138c00aa;  // 1 bold, 2 italic, 4 underline
inline constexpr uint32_t kTextActionGetStyle = 0x138c00b4;
inline constexpr uint32_t kTextActionSetKeyValue = 0x138c00be;
inline constexpr uint32_t kTextActionGetKeyValue = 0x138c00c8;
inline constexpr uint32_t kTextActionGetCursor = 0x138c00d2;
inline constexpr uint32_t kFloodFillSetTolerance = 0x1391000a;
inline constexpr uint32_t kFloodFillGetTolerance = 0x13910014;
inline constexpr uint32_t kFloodFillSetSoftness = 0x1391001e;  // percent
inline constexpr uint32_t kFloodFillGetSoftness = 0x13910028;
inline constexpr uint32_t kButtonActionSetColour = 0x139a001e;  // 0x00BBGGRR
inline constexpr uint32_t kButtonActionGetColour = 0x139a0028;
inline constexpr uint32_t kButtonActionSetAmount = 0x139a0032;  // the bump's strength
inline constexpr uint32_t kButtonActionGetAmount = 0x139a003c;
inline constexpr uint32_t kButtonActionSetDepth = 0x139a0046;
inline constexpr uint32_t kButtonActionGetDepth = 0x139a0050;
inline constexpr uint32_t kButtonActionSetSoftness = 0x139a005a;  // inset and blur radius, pixels
inline constexpr uint32_t kButtonActionGetSoftness = 0x139a0064;
inline constexpr uint32_t kCollapseActionSetValue = 0x139b000a;
inline constexpr uint32_t kCollapseActionGetValue = 0x139b0014;
inline constexpr uint32_t kCropActionSetFill = 0x1399001e;  // 0x00BBGGRR for new area
inline constexpr uint32_t kCropActionGetFill = 0x13990028;
inline constexpr uint32_t kFillImageActionSetValue = 0x139a000a;
inline constexpr uint32_t kFillImageActionGetValue = 0x139a0014;
inline constexpr uint32_t kModeActionSetName = 0x10005a;
inline constexpr uint32_t kModeActionGetName = 0x10005b;
inline constexpr uint32_t kMediaSettingsSetName = 0x100068;
inline constexpr uint32_t kMediaSettingsGetName = 0x100069;
inline constexpr uint32_t kPositionActionSetKind = 0x13a1001e;
inline constexpr uint32_t kPositionActionGetKind = 0x13a10028;
inline constexpr uint32_t kTransformActionSetFlags = 0x139d0032;
inline constexpr uint32_t kTransformActionGetFlags = 0x139d003c;
inline constexpr uint32_t kTransformActionSetWidth = 0x139d0046;
inline constexpr uint32_t kTransformActionGetWidth = 0x139d0050;
inline constexpr uint32_t kTransformActionSetHeight = 0x139d005a;
inline constexpr uint32_t kTransformActionGetHeight = 0x139d0064;
// The rectangle a corner transform moves (image coordinates): the one its
// first four corners gave, the corners then being where it goes.
inline constexpr uint32_t kTransformActionSetSourceX = 0x139d006e;
inline constexpr uint32_t kTransformActionGetSourceX = 0x139d0078;
inline constexpr uint32_t kTransformActionSetSourceY = 0x139d0082;
inline constexpr uint32_t kTransformActionGetSourceY = 0x139d008c;
inline constexpr uint32_t kTransformActionSetSourceWidth = 0x139d0096;
inline constexpr uint32_t kTransformActionGetSourceWidth = 0x139d00a0;
inline constexpr uint32_t kTransformActionSetSourceHeight = 0x139d00aa;
inline constexpr uint32_t kTransformActionGetSourceHeight = 0x139d00b4;

// Image methods the actions send (answered by the Image class).
inline constexpr uint32_t kQzImageFill = 0x1001fe;
inline constexpr uint32_t kQzImageClear = 0x1001f4;
inline constexpr uint32_t kQzImageChooseMedia = 0x100065;
inline constexpr uint32_t kQzImagePlaceLayer = 0x10024e;
inline constexpr uint32_t kQzImagePlaceSecond = 0x10023a;
inline constexpr uint32_t kQzImagePlaceFirst = 0x100244;
inline constexpr uint32_t kQzImageShowLayer = 0x1002bc;
inline constexpr uint32_t kQzImageHideLayer = 0x1002c6;
inline constexpr uint32_t kQzImageMoveAfter = 0x10028a;

// Media settings not recorded.
inline constexpr uint32_t kMediaSettingUnset = 0xFFFF;

QZ_EXTERN_C_BEGIN

// ---- the undo list -----------------------------------------------------------------
// The undo (or redo) list of the image's owning document: the image's list
// object, made as a LinkedList on first use when the image was created
// without one. Newest action first. None for a null image.
QZ_EXPORT Qz_Object* Qz_GetUndoList(Qz_Image* image);
QZ_EXPORT Qz_Object* Qz_GetRedoList(Qz_Image* image);

// Puts the action at the head of the document's undo list; 1 when added (the
// list owns it then), 0 when the image lock was refused (it stays the caller's).
QZ_EXPORT uint32_t Qz_AddImageAction(Qz_Image* image, Qz_Object* action, uint32_t flags);
// Fixes the layer's pending changes, then adds the action for the layer.
// Returns what Qz_AddImageAction returned (0 also for a null layer).
QZ_EXPORT uint32_t Qz_AddLayerAction(Qz_Image* layer, Qz_Object* action, uint32_t flags);
// Rebuilds x0..x1, y0..y1 (layer coordinates, inclusive) of the layer from
// its parent's undo planes and the layer's actions since the newest restore point.
QZ_EXPORT void Qz_RedoLayerActions(Qz_Image* layer, int32_t x0, int32_t y0, int32_t x1,
                                   int32_t y1);
QZ_EXPORT void Qz_RedoAllLayerActions(Qz_Image* layer);
QZ_EXPORT void Qz_RedoLayerAction(Qz_Object* action);

// Makes the newest count actions of the image's undo list no longer
// undoable (a new layer's set-up steps are not the user's to take back).
QZ_EXPORT void Qz_EndUndoAtNewestActions(Qz_Image* image, uint32_t count);

// Undo and redo of one step as the undo panel does them. Undo takes the
// newest step (with the actions chained to it) off the undo list, each
// deactivated and sent the undo notice, onto the redo list, and replays the
// layers the notices asked for; an action that cannot be undone, or whose
// notice fails, stays where it was and ends the step there. Redo
// re-applies the redo list's first step and puts it back on the undo list;
// one that fails stays. 1 when anything moved. Any new step empties the redo list.
QZ_EXPORT uint32_t Qz_UndoImageAction(Qz_Image* image);
QZ_EXPORT uint32_t Qz_RedoImageAction(Qz_Image* image);
// Undo (redo) whole steps until the step holding `action` has moved; 0 when
// the action is not on the image's undo (redo) list or nothing moved.
QZ_EXPORT uint32_t Qz_UndoImageActionsTo(Qz_Image* image, Qz_Object* action);
QZ_EXPORT uint32_t Qz_RedoImageActionsTo(Qz_Image* image, Qz_Object* action);
// Disposes every action of the image's undo list (redoList 0) or redo list;
// the undo list keeps a restore point of the layers as they are. 1 when
// anything went, 0 when the list was empty or the image refused its lock.
QZ_EXPORT uint32_t Qz_DiscardImageActions(Qz_Image* image, uint32_t redoList);

// Stores the document's undo list as object text at path; 0 for a null image
// or path, or when the file cannot be written.
QZ_EXPORT uint32_t Qz_SaveImageActions(Qz_Image* image, const char* path);
// Replaces the undo list (and empties the redo list) with the stored one and
// applies each action once, oldest first; 1, or 0 when nothing was replaced.
QZ_EXPORT uint32_t Qz_LoadImageActions(Qz_Image* image, const char* path);

// Catalogue number of the name RootAction gives itself for a flags value and
// qualifier; 0 when that flags value leaves the name alone.
QZ_EXPORT uint32_t Qz__ActionNameNumber(uint32_t flags, uint32_t qualifier);
// Display text of a catalogue number (empty until the catalogue is there).
QZ_EXPORT const char* Qz__ActionText(uint32_t number);

// ---- mode choice ----------------------------------------------------------------------
// Chooses the mode named `name` ("Paint", "GaussianBlur"...) for the layer: 1
// when chosen or already chosen, 0 when no "<name>Mode" object could be made.
QZ_EXPORT int32_t Qz__ApplyLayerMode(Qz_Image* layer, const char* name);

// ---- classes ----------------------------------------------------------------------------
QZ_EXPORT QzWord Qz_InitRootActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupRootActionClass(void);
QZ_EXPORT QzWord Qz_InitPointActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupPointActionClass(void);
QZ_EXPORT QzWord Qz_InitFloodFillActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupFloodFillActionClass(void);
QZ_EXPORT QzWord Qz_InitFillImageActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupFillImageActionClass(void);
QZ_EXPORT QzWord Qz_InitImageActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupImageActionClass(void);
QZ_EXPORT QzWord Qz_InitInvertImageActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupInvertImageActionClass(void);
QZ_EXPORT QzWord Qz_InitColourActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupColourActionClass(void);
QZ_EXPORT QzWord Qz_InitModeActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupModeActionClass(void);
QZ_EXPORT QzWord Qz_InitMediaSettingsActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupMediaSettingsActionClass(void);
QZ_EXPORT QzWord Qz_InitPositionActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupPositionActionClass(void);
QZ_EXPORT QzWord Qz_InitDisposeImageActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupDisposeImageActionClass(void);
QZ_EXPORT QzWord Qz_InitButtonActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupButtonActionClass(void);
QZ_EXPORT QzWord Qz_InitCollapseActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupCollapseActionClass(void);
QZ_EXPORT QzWord Qz_InitCropActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupCropActionClass(void);
QZ_EXPORT QzWord Qz_InitTransformActionClass(Qz_GlobalData* globalData);
QZ_EXPORT void Qz_CleanupTransformActionClass(void);

QZ_EXTERN_C_END
