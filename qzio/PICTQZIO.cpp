// PICTQZIO: Macintosh pictures of version 1 and 2, drawn onto a white
// true-colour picture; saves one 16-bit pixmap a picture.
#include "qzio/codec_pict.h"
#include "qzio/root_qzio.h"
#include "qzio/whole_file_format.h"

namespace {

using namespace qz::codec;

using Methods = WholeFileMethods<pictIdentify, pictDecode, pictEncode>;

// The picture header follows 512 bytes of application header, past the
// library's probe.
constexpr size_t kHeadBytes = 1024;

uint32_t Qz__PICTIdentify(const qzio::FormatCall&, QZIO_Header* header) {
  return identifyFromHead(header, kHeadBytes, pictIdentify);
}

const qzio::FormatClass kPICTClass = {
    .className = "PICTQZIO", .classIdField = 7602, .capabilities = kQzioCapsFile,
    .flags = kQzioFlagFile, .extension = nullptr,
    .identify = Qz__PICTIdentify, .load = Methods::load, .save = Methods::save};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitPICTQZIOClass(Qz_GlobalData* global) { return qzio::RegisterFormatClass(&kPICTClass, global); }
QZ_EXPORT void Qz_CleanupPICTQZIOClass(void) { qzio::UnregisterFormatClass(&kPICTClass); }
QZ_EXTERN_C_END
