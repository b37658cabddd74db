// ConvolveMode and SharpenMode: class ids and method ids. Scripts and the
// sharpen mode change the matrix through these; a change by method asks for
// no re-render (send kQzModeChanged after it), except an edit read from the
// panel and a successful load.
//   Qz_DoMethod(convolve, kQzConvolveSetMatrixSize, 5);                  // 1..7, zeros
//   Qz_DoMethod(convolve, kQzConvolveSetMatrixEntry, row, column, weight); // 16-bit weight
#pragma once

#include <cstdint>

inline constexpr uint32_t kQzConvolveModeClassId = 0x92c;
inline constexpr uint32_t kQzConvolveMatrixEdited = 0x940;
inline constexpr uint32_t kQzConvolveLoadMatrix = 0x94a;   // path or NULL (ask); the path, or 0 when nothing loaded
inline constexpr uint32_t kQzConvolveGetMatrixPath = 0x954;
inline constexpr uint32_t kQzConvolveSaveMatrix = 0x95e;   // path or NULL (ask); the size, or 0 when nothing saved
inline constexpr uint32_t kQzConvolveSetMatrixSize = 0x968;
inline constexpr uint32_t kQzConvolveGetMatrixSize = 0x972;
inline constexpr uint32_t kQzConvolveSetMatrixEntry = 0x97c;
inline constexpr uint32_t kQzConvolveGetMatrixEntry = 0x986;
inline constexpr uint32_t kQzConvolveSetMatrixAll = 0x990;
// The matrix lock (a std::recursive_mutex*), for a subclass that changes the
// matrix in several steps that a render must not see half done.
inline constexpr uint32_t kQzConvolveMatrixLock = 0x99a;
// The panel's: its buttons ask for a file to load or save (the argument is
// ignored); its weight fields set one weight each, row-major from
// kQzConvolveSetGridWeight, re-rendering like an edit.
inline constexpr uint32_t kQzConvolveAskLoad = 0x9a4;
inline constexpr uint32_t kQzConvolveAskSave = 0x9ae;
inline constexpr uint32_t kQzConvolveSetGridWeight = 0x9b8;  // + row * 3 + column
inline constexpr int32_t kQzConvolveGrid = 3;

inline constexpr uint32_t kQzSharpenModeClassId = 0x803;
inline constexpr uint32_t kQzSharpenSetAmount = 0x80d, kQzSharpenGetAmount = 0x817;
inline constexpr uint32_t kQzSharpenSetRadius = 0x821, kQzSharpenGetRadius = 0x82b;
