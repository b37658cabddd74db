// The convolution matrix: its defaults, the MTRX file text and the source
// generator. The file and generated texts are formats others keep, so
// every byte of them is written as fixed here.
#include "modes/convolve_matrix.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace qz::modes {

namespace {

constexpr char kMagic[4] = {'M', 'T', 'R', 'X'};
// The fifth byte (the magic's line end) is skipped whatever it is.
constexpr size_t kFirstNumberOffset = 5;

bool Qz__IsSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Reads signed decimal integers in turn, each after any white space. Where
// no number stands it reads 0 and stays put, so every later read is 0 too.
// Values beyond 32 bits saturate, as a 32-bit long would.
class Qz__NumberReader {
 public:
  explicit Qz__NumberReader(std::span<const uint8_t> bytes, size_t at) : bytes_(bytes), at_(at) {}

  int32_t next() {
    size_t p = at_;
    while (p < bytes_.size() && Qz__IsSpace(bytes_[p])) ++p;
    bool negative = false;
    if (p < bytes_.size() && (bytes_[p] == '+' || bytes_[p] == '-')) negative = bytes_[p++] == '-';
    if (p >= bytes_.size() || bytes_[p] < '0' || bytes_[p] > '9') return 0;
    int64_t value = 0;
    for (; p < bytes_.size() && bytes_[p] >= '0' && bytes_[p] <= '9'; ++p)
      value = std::min<int64_t>(value * 10 + (bytes_[p] - '0'), int64_t(INT32_MAX) + 1);
    at_ = p;
    if (negative) value = -value;
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t at_;
};

}  // namespace

void recomputeMatrix(ConvolveMatrix* m) {
  const int32_t n = m->size;
  m->centreX = m->centreY = n % 2 ? n / 2 : n / 2 - 1;
  int32_t sum = 0;
  for (int32_t i = 0; i < n * n; ++i) sum += m->weights[size_t(i)];
  m->divisor = sum < 1 ? 1 : sum;
}

ConvolveMatrix zeroMatrix(int32_t size) {
  ConvolveMatrix m;
  m.size = std::clamp(size, int32_t(1), kMaxMatrixSize);
  recomputeMatrix(&m);
  return m;
}

ConvolveMatrix defaultConvolveMatrix() {
  ConvolveMatrix m = zeroMatrix(3);
  const int16_t weights[9] = {5, 5, -5, 10, 0, -20, 5, 5, -5};
  std::copy(std::begin(weights), std::end(weights), m.weights.begin());
  recomputeMatrix(&m);
  return m;
}

bool parseMatrixFile(std::span<const uint8_t> bytes, MatrixFile* file) {
  if (bytes.size() > kMaxMatrixFileBytes || bytes.size() < sizeof kMagic ||
      std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
    return false;
  Qz__NumberReader read(bytes, std::min(kFirstNumberOffset, bytes.size()));
  const int32_t rows = read.next(), columns = read.next(), divisor = read.next();
  (void)read.next();  // reserved, written as 0
  if (rows != columns || rows < 1 || rows > kMaxFileMatrixSize) return false;
  ConvolveMatrix m = zeroMatrix(rows);
  for (int32_t i = 0; i < rows * columns; ++i) m.weights[size_t(i)] = int16_t(uint16_t(uint32_t(read.next())));
  recomputeMatrix(&m);
  // The file's divisor holds until the next edit; a 0 would divide by zero.
  if (divisor != 0) m.divisor = divisor;
  file->matrix = m;
  file->fileDivisor = divisor;
  return true;
}

std::string formatMatrixFile(const ConvolveMatrix& m) {
  char line[64];
  std::snprintf(line, sizeof line, "MTRX\n\t%ld\t%ld\n\t%ld\t0\n", long(m.size), long(m.size), long(m.divisor));
  std::string text = line;
  for (int32_t row = 0; row < m.size; ++row) {
    for (int32_t column = 0; column < m.size; ++column) {
      std::snprintf(line, sizeof line, "\t%ld", long(m.at(row, column)));
      text += line;
    }
    text += "\n";
  }
  return text;
}

}  // namespace qz::modes

namespace {

bool Qz__MatrixUsable(FILE* stream, int32_t width, int32_t height, const int32_t* const* matrix) {
  if (!stream || !matrix || width < 1 || height < 1) return false;
  for (int32_t i = 0; i < height; ++i)
    if (!matrix[i]) return false;
  return true;
}

// A divisor of 0 means the weights' sum, kept (as the generated code does)
// in 16 bits: the low 16 bits of each weight added with wrapping.
int16_t Qz__EffectiveDivisor(int32_t width, int32_t height, int16_t divisor, const int32_t* const* matrix) {
  if (divisor != 0) return divisor;
  uint16_t sum = 0;
  for (int32_t i = 0; i < height; ++i)
    for (int32_t j = 0; j < width; ++j) sum = uint16_t(sum + uint16_t(uint32_t(matrix[i][j])));
  return int16_t(sum);
}

void Qz__WriteInnerLoop(FILE* out, int32_t width, int32_t height, int16_t divisor, const int32_t* const* matrix,
                        int32_t pass) {
  std::fputs(pass < 0 ? "\t\twhile(x<safex1)\n\t\t{\n" : pass == 0 ? "\t\twhile(x<=safex2)\n\t\t{\n"
                                                                   : "\t\twhile(x<=x2)\n\t\t{\n",
             out);
  std::fputs("\t\t\tv=0;\n", out);
  const bool clamped = pass != 0;
  for (int32_t i = 0; i < height; ++i) {
    const long dy = long(i - height / 2);
    if (dy == 0) std::fputs("\t\t\tLine=Data[y];\n", out);
    else std::fprintf(out, dy > 0 ? "\t\t\tLine=Data[y+%ld];\n" : "\t\t\tLine=Data[y%ld];\n", dy);
    std::fputs("\t\t\t", out);
    for (int32_t j = 0; j < width; ++j) {
      const long w = long(matrix[i][j]);
      const long dx = long(j - width / 2);
      if (w == 0) continue;
      const char* sign = dx > 0 ? "+" : "";
      if (w == -1) {
        if (dx == 0) std::fputs("v-=Line[x];\t", out);
        else if (clamped) std::fprintf(out, "v-=Line[min(max(x%s%ld,0),max_x)];\t", sign, dx);
        else std::fprintf(out, "v-=Line[x%s%ld];\t", sign, dx);
      } else {
        if (dx == 0) std::fprintf(out, "v+=Line[x] * %ld;\t", w);
        else if (clamped) std::fprintf(out, "v+=Line[min(max(x%s%ld,0),max_x)] * %ld;\t", sign, dx, w);
        else std::fprintf(out, "v+=Line[x%s%ld] * %ld;\t", sign, dx, w);
      }
    }
    std::fputs("\n\n", out);
  }
  if (divisor != 1) std::fprintf(out, "\t\t\tv=(v*%ld)>>16;\n\n", long(65536 / divisor));
  std::fputs("\t\t\tif(v<0)\n\t\t\t\t*ModeLine++=0;\n\t\t\telse\n\t\t\t\tif(v<255)\n\t\t\t\t\t*ModeLine++=v;\n"
             "\t\t\t\telse\n\t\t\t\t\t*ModeLine++=255;\n\n",
             out);
  std::fputs("\t\t\tx++;\n", out);
  std::fputs("\t\t}\n\n", out);
}

}  // namespace

QZ_EXTERN_C_BEGIN

QZ_EXPORT int32_t Qz_GenerateInnerMatrixCode(FILE* stream, int32_t width, int32_t height, int16_t divisor,
                                             const int32_t* const* matrix, int32_t pass) {
  if (!Qz__MatrixUsable(stream, width, height, matrix) || pass < -1 || pass > 1) return 0;
  divisor = Qz__EffectiveDivisor(width, height, divisor, matrix);
  if (divisor == 0) return 0;  // no scale factor exists: the weights sum to 0
  Qz__WriteInnerLoop(stream, width, height, divisor, matrix, pass);
  return 1;
}

QZ_EXPORT int32_t Qz_GenerateMatrixCode(FILE* stream, const char* name, int32_t width, int32_t height,
                                        int16_t divisor, const int32_t* const* matrix) {
  if (!Qz__MatrixUsable(stream, width, height, matrix) || !name) return 0;
  divisor = Qz__EffectiveDivisor(width, height, divisor, matrix);
  if (divisor == 0) return 0;
  std::fprintf(stream,
               "void Qz__Process%sRect(UBYTE **ModeData,UBYTE **Data,ICOORD x1,ICOORD y1,ICOORD x2,ICOORD y2,"
               "ICOORD image_width)\n{\n",
               name);
  std::fputs("\tUBYTE *Line,*ModeLine;\n", stream);
  std::fprintf(stream, "\tICOORD x,y,max_x=image_width-1,safex1=max(%ld,x1),safex2=min(x2,max_x-%ld);\n",
               long(width / 2), long(width / 2));
  std::fputs("\tregister LONG v;\n", stream);
  std::fputs("\n", stream);
  std::fputs("\tfor(y=y1;y<=y2;y++)\n\t{\n\n", stream);
  std::fputs("\t\tModeLine=ModeData[y-y1];\n\n", stream);
  std::fputs("\t\tx=x1;\n\n", stream);
  for (int32_t pass = -1; pass <= 1; ++pass) Qz__WriteInnerLoop(stream, width, height, divisor, matrix, pass);
  std::fputs("\t}\n", stream);
  std::fputs("}\n", stream);
  return 1;
}

QZ_EXTERN_C_END
