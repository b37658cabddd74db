// The convolution family's matrix: a square table of signed 16-bit weights
// with its centre and divisor, the "MTRX" text file it is kept in, and the
// generator that writes the C source of a routine specialised for one matrix.
//
//   qz::modes::ConvolveMatrix m = qz::modes::defaultConvolveMatrix();
//   std::string text = qz::modes::formatMatrixFile(m);
//   qz::modes::MatrixFile file;
//   if (qz::modes::parseMatrixFile(bytes, &file)) ...
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "platform/qz_export.h"

namespace qz::modes {

// Sizes the render accepts: up to 7 (a sharpen of radius 3); files hold at most 5.
inline constexpr int32_t kMaxMatrixSize = 7;
inline constexpr int32_t kMaxFileMatrixSize = 5;
// Matrix files are a few hundred bytes; anything past this is not one.
inline constexpr size_t kMaxMatrixFileBytes = 64 * 1024;

struct ConvolveMatrix {
  int32_t size = 3;
  int32_t centreX = 1, centreY = 1;
  int32_t divisor = 1;  // never 0
  std::array<int16_t, kMaxMatrixSize * kMaxMatrixSize> weights{};  // row-major, size x size used

  int16_t at(int32_t row, int32_t column) const { return weights[size_t(row * size + column)]; }
  int16_t& at(int32_t row, int32_t column) { return weights[size_t(row * size + column)]; }
  bool operator==(const ConvolveMatrix&) const = default;
};

// The matrix a new convolve mode starts with: a horizontal gradient, sum 0.
QZ_EXPORT ConvolveMatrix defaultConvolveMatrix();

// An n by n matrix of zeros (n from 1 to kMaxMatrixSize), recomputed.
QZ_EXPORT ConvolveMatrix zeroMatrix(int32_t size);

// Centres from the size (an even matrix reaches one less to the left and
// up) and the divisor from the weights: their sum, or 1 when that is below 1.
QZ_EXPORT void recomputeMatrix(ConvolveMatrix* matrix);

// What a matrix file holds.
struct MatrixFile {
  ConvolveMatrix matrix;  // recomputed, then the file's divisor put in
  int32_t fileDivisor = 0;  // as written in the file
};

// Parses a matrix file's bytes: false for a file that is not one (too
// large, wrong magic, rows other than columns, a size outside 1..5). A
// divisor of 0 in the file gives the recomputed one; missing weights read 0.
QZ_EXPORT bool parseMatrixFile(std::span<const uint8_t> bytes, MatrixFile* file);

// The text of a matrix file: header, then one line of weights per row.
QZ_EXPORT std::string formatMatrixFile(const ConvolveMatrix& matrix);

}  // namespace qz::modes

QZ_EXTERN_C_BEGIN
// Writes the C source of a block routine for the matrix (height rows of
// width weights) to the stream; 1 when written, 0 (nothing written) for
// bad arguments or a zero divisor whose weights also sum to 0.
QZ_EXPORT int32_t Qz_GenerateMatrixCode(FILE* stream, const char* name, int32_t width, int32_t height,
                                        int16_t divisor, const int32_t* const* matrix);
// One of the routine's three column loops: pass -1 the left edge, 0 the
// middle, 1 the right edge. 1 when written, 0 for bad arguments.
QZ_EXPORT int32_t Qz_GenerateInnerMatrixCode(FILE* stream, int32_t width, int32_t height, int16_t divisor,
                                             const int32_t* const* matrix, int32_t pass);
QZ_EXTERN_C_END
