// ConvolveMode: runs a square matrix of signed weights (1 to 7 wide) over
// every plane of the data below its layer and divides by the matrix's
// divisor. It owns the matrix, its lock and the path of the last matrix
// file; it answers the matrix methods of qz_convolve_mode.h, the render
// method and its panel's fields and buttons.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "gadgets/qz_file_requester.h"
#include "gadgets/qz_text_entry.h"
#include "modes/convolve_kernels.h"
#include "modes/convolve_matrix.h"
#include "modes/mode_fetch.h"
#include "modes/mode_kit.h"
#include "modes/mode_panel.h"
#include "modes/qz_convolve_mode.h"
#include "objects/catalogue.h"
#include "platform/atomic_file_writer.h"
#include "platform/paths.h"

namespace {

using qz::modes::ConvolveMatrix;

constexpr uint32_t kLoadTitleEntry = 328, kSaveTitleEntry = 329;
constexpr const char* kMatrixFolder = "Data/Matrix/";

struct Qz_ConvolveModeObject {
  Qz_Object header;
  // Guards the matrix and the path. Re-entrant: a load changes the size and
  // recomputes inside its own hold.
  std::recursive_mutex lock;
  ConvolveMatrix matrix = qz::modes::defaultConvolveMatrix();
  std::string path;
};

Qz_ConvolveModeObject* Qz__Self(Qz_Object* object) { return qz::kit::self<Qz_ConvolveModeObject>(object); }

ConvolveMatrix Qz__Snapshot(Qz_ConvolveModeObject* self) {
  std::lock_guard<std::recursive_mutex> hold(self->lock);
  return self->matrix;
}

void Qz__AskRerender(Qz_ConvolveModeObject* self) { Qz_DoMethod(self->header.super, kQzModeChanged); }

// ---- panel ------------------------------------------------------------------

constexpr int32_t kGrid = kQzConvolveGrid;
constexpr uint32_t Qz__CellSetter(int32_t row, int32_t column) {
  return kQzConvolveSetGridWeight + uint32_t(row * kGrid + column);
}

// The weight fields, screen row i holding matrix row i, then Load and Save.
constexpr qz::modes::PanelRow kPanelRows[] = {
    qz::modes::column(),
    qz::modes::row(), qz::modes::number({}, Qz__CellSetter(0, 0), 5), qz::modes::number({}, Qz__CellSetter(0, 1), 5),
    qz::modes::number({}, Qz__CellSetter(0, 2), -5), qz::modes::end(),
    qz::modes::row(), qz::modes::number({}, Qz__CellSetter(1, 0), 10), qz::modes::number({}, Qz__CellSetter(1, 1), 0),
    qz::modes::number({}, Qz__CellSetter(1, 2), -20), qz::modes::end(),
    qz::modes::row(), qz::modes::number({}, Qz__CellSetter(2, 0), 5), qz::modes::number({}, Qz__CellSetter(2, 1), 5),
    qz::modes::number({}, Qz__CellSetter(2, 2), -5), qz::modes::end(),
    qz::modes::end(),
    qz::modes::button(55, kQzConvolveAskLoad),
    qz::modes::button(77, kQzConvolveAskSave),
    qz::modes::space()};
constexpr qz::modes::PanelSpec kPanel{"Convolve", kPanelRows};

// Writes the weights into the fields; a field beyond a smaller matrix shows 0.
// Nothing when the panel shown is another (a subclass's).
void Qz__ShowMatrix(Qz_ConvolveModeObject* self, const ConvolveMatrix& m) {
  for (int32_t row = 0; row < kGrid; ++row)
    for (int32_t column = 0; column < kGrid; ++column) {
      const int32_t weight = row < m.size && column < m.size ? m.at(row, column) : 0;
      qz::modes::showInPanel(&self->header, Qz__CellSetter(row, column), QzWord(intptr_t(weight)));
    }
}

// ---- render -----------------------------------------------------------------

QzWord Qz__RenderConvolve(Qz_ConvolveModeObject* self, const Qz_ModeRenderMessage* message) {
  qz::modes::PlaneBlock b;
  int32_t depth = 0;
  if (!qz::modes::planeBlockOf(message, &b, &depth)) return 1;
  // The lock guards the snapshot only: strips render at once, unlocked.
  const ConvolveMatrix m = Qz__Snapshot(self);
  // A failed fetch writes nothing (the compositor shows what lies below);
  // asking for another render then would repeat the failure for ever.
  return qz::modes::renderEachPlane(message, depth, qz::modes::convolveReach(m, b),
                                    [&](const qz::modes::SourceView& view, int channel, uint8_t* const* out) {
                                      qz::modes::convolvePlane(view, channel, m, b, out);
                                    });
}

// ---- matrix methods ---------------------------------------------------------

QzWord Qz__SetSize(Qz_ConvolveModeObject* self, int32_t size) {
  if (size < 1 || size > qz::modes::kMaxMatrixSize) return 0;
  std::lock_guard<std::recursive_mutex> hold(self->lock);
  self->matrix = qz::modes::zeroMatrix(size);
  return QzWord(size);
}

QzWord Qz__SetEntry(Qz_ConvolveModeObject* self, int32_t row, int32_t column, int16_t weight) {
  std::lock_guard<std::recursive_mutex> hold(self->lock);
  ConvolveMatrix& m = self->matrix;
  if (row >= 0 && row < m.size && column >= 0 && column < m.size) m.at(row, column) = weight;
  qz::modes::recomputeMatrix(&m);
  return 0;
}

QzWord Qz__GetEntry(Qz_ConvolveModeObject* self, int32_t row, int32_t column) {
  std::lock_guard<std::recursive_mutex> hold(self->lock);
  const ConvolveMatrix& m = self->matrix;
  if (row < 0 || row >= m.size || column < 0 || column >= m.size) return 0;
  return QzWord(intptr_t(m.at(row, column)));
}

QzWord Qz__SetAll(Qz_ConvolveModeObject* self, int16_t weight) {
  std::lock_guard<std::recursive_mutex> hold(self->lock);
  ConvolveMatrix& m = self->matrix;
  std::fill(m.weights.begin(), m.weights.begin() + m.size * m.size, weight);
  qz::modes::recomputeMatrix(&m);
  return 0;
}

// The fields' weights replace the matrix's where there is a field; weights
// beyond the grid (of a loaded 5 by 5) stay as they are.
QzWord Qz__MatrixEdited(Qz_ConvolveModeObject* self) {
  {
    std::lock_guard<std::recursive_mutex> hold(self->lock);
    ConvolveMatrix& m = self->matrix;
    for (int32_t row = 0; row < kGrid && row < m.size; ++row)
      for (int32_t column = 0; column < kGrid && column < m.size; ++column)
        if (Qz_Object* field = qz::modes::panelGadget(&self->header, Qz__CellSetter(row, column)))
          m.at(row, column) = int16_t(uint16_t(Qz_DoMethod(field, kStringEditGetNumber)));
    qz::modes::recomputeMatrix(&m);
  }
  Qz__AskRerender(self);
  return 0;
}

// One field changed: its weight, then as an edit.
QzWord Qz__GridWeightSet(Qz_ConvolveModeObject* self, uint32_t setter, int16_t weight) {
  const auto cell = int32_t(setter - kQzConvolveSetGridWeight);
  {
    std::lock_guard<std::recursive_mutex> hold(self->lock);
    ConvolveMatrix& m = self->matrix;
    const int32_t row = cell / kGrid, column = cell % kGrid;
    if (row < m.size && column < m.size) m.at(row, column) = weight;
    qz::modes::recomputeMatrix(&m);
  }
  Qz__AskRerender(self);
  return 0;
}

// ---- files ------------------------------------------------------------------

bool Qz__Writable(const std::string& folder) { return access(folder.c_str(), W_OK) == 0; }

bool Qz__HoldsFiles(const std::string& folder) {
  std::error_code error;
  return !std::filesystem::is_empty(folder, error) && !error;
}

// Where the requester starts: the program's matrix folder, or, when that
// cannot be written, the state folder's (where saves go; loads start there
// once it holds a matrix).
std::string Qz__StartFolder(bool save) {
  const std::string data = qz::joinedPath(qz::dataRoot(), kMatrixFolder);
  if (Qz__Writable(data)) return data;
  const std::string state = qz::joinedPath(qz::stateRoot(), kMatrixFolder);
  if (save) {
    std::error_code error;
    std::filesystem::create_directories(state, error);
    return state;
  }
  return Qz__HoldsFiles(state) ? state : data;
}

// The path the user chooses, or "" on cancel.
std::string Qz__AskPath(bool save) {
  qz::FileRequest request;
  request.title = Qz_CatalogString(save ? kSaveTitleEntry : kLoadTitleEntry);
  request.folder = Qz__StartFolder(save);
  request.save = save;
  const qz::FileRequestResult chosen = qz::requestFiles(request);
  if (!chosen.chosen || chosen.names.empty() || chosen.names.front().empty()) return {};
  return qz::joinedPath(chosen.folder, chosen.names.front());
}

// The whole file, refusing one larger than a matrix file can be.
bool Qz__ReadSmallFile(const std::string& path, std::vector<uint8_t>* bytes) {
  FILE* f = Qz_FOpen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<uint8_t> data(qz::modes::kMaxMatrixFileBytes + 1);
  const size_t got = std::fread(data.data(), 1, data.size(), f);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed || got > qz::modes::kMaxMatrixFileBytes) return false;
  data.resize(got);
  *bytes = std::move(data);
  return true;
}

QzWord Qz__LoadMatrix(Qz_ConvolveModeObject* self, const char* given) {
  const std::string path = given ? std::string(given) : Qz__AskPath(false);
  if (path.empty()) return 0;
  std::vector<uint8_t> bytes;
  qz::modes::MatrixFile file;
  if (!Qz__ReadSmallFile(path, &bytes) || !qz::modes::parseMatrixFile(bytes, &file)) return 0;
  const char* answer = nullptr;
  {
    std::lock_guard<std::recursive_mutex> hold(self->lock);
    self->matrix = file.matrix;
    self->path = path;
    answer = self->path.c_str();
  }
  Qz__ShowMatrix(self, Qz__Snapshot(self));
  Qz__AskRerender(self);
  return reinterpret_cast<QzWord>(answer);
}

QzWord Qz__SaveMatrix(Qz_ConvolveModeObject* self, const char* given) {
  const std::string path = given ? std::string(given) : Qz__AskPath(true);
  if (path.empty()) return 0;
  const ConvolveMatrix m = Qz__Snapshot(self);
  const std::string text = qz::modes::formatMatrixFile(m);
  qz::AtomicFileWriter writer(path);
  if (!writer.ok() || std::fwrite(text.data(), 1, text.size(), writer.stream()) != text.size() || !writer.commit())
    return 0;
  std::lock_guard<std::recursive_mutex> hold(self->lock);
  self->path = path;
  return QzWord(m.size);
}

QzWord Qz__GetPath(Qz_ConvolveModeObject* self) {
  std::lock_guard<std::recursive_mutex> hold(self->lock);
  return reinterpret_cast<QzWord>(self->path.c_str());
}

// ---- dispatch -----------------------------------------------------------------

QzWord Qz__ConvolveDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  Qz_ConvolveModeObject* self = Qz__Self(object);
  switch (id) {
    case kQzModeRender: return Qz__RenderConvolve(self, qz::modes::renderMessage(args));
    case kQzConvolveAskLoad: return Qz__LoadMatrix(self, nullptr);
    case kQzConvolveAskSave: return Qz__SaveMatrix(self, nullptr);
    case kQzConvolveMatrixEdited: return Qz__MatrixEdited(self);
    case kQzConvolveLoadMatrix: return Qz__LoadMatrix(self, reinterpret_cast<const char*>(args[0]));
    case kQzConvolveGetMatrixPath: return Qz__GetPath(self);
    case kQzConvolveSaveMatrix: return Qz__SaveMatrix(self, reinterpret_cast<const char*>(args[0]));
    case kQzConvolveSetMatrixSize: return Qz__SetSize(self, int32_t(args[0]));
    case kQzConvolveGetMatrixSize: return QzWord(Qz__Snapshot(self).size);
    case kQzConvolveSetMatrixEntry:
      return Qz__SetEntry(self, int32_t(args[0]), int32_t(args[1]), int16_t(uint16_t(args[2])));
    case kQzConvolveGetMatrixEntry: return Qz__GetEntry(self, int32_t(args[0]), int32_t(args[1]));
    case kQzConvolveSetMatrixAll: return Qz__SetAll(self, int16_t(uint16_t(args[0])));
    case kQzConvolveMatrixLock: return reinterpret_cast<QzWord>(&self->lock);
    default:
      if (id >= kQzConvolveSetGridWeight && id < kQzConvolveSetGridWeight + uint32_t(kGrid * kGrid))
        return Qz__GridWeightSet(self, id, int16_t(uint16_t(args[0])));
      return qz::kit::inherited(object, id, args);
  }
}

const qz::kit::ClassDecl kConvolveMode = {
    .name = "ConvolveMode", .superName = "RootMode", .classId = kQzConvolveModeClassId,
    .instance = qz::kit::instanceOf<Qz_ConvolveModeObject>(), .handler = Qz__ConvolveDispatch,
    .setUp = qz::modes::panelSetUp<kPanel>};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitConvolveModeClass(Qz_GlobalData*) { return qz::kit::addClass(kConvolveMode); }
QZ_EXPORT void Qz_CleanupConvolveModeClass(void) { qz::kit::removeClass(kConvolveMode); }
QZ_EXTERN_C_END
