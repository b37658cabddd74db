// JPEG codec core. libjpeg reports fatal errors by calling a routine that must
// not return, so each session runs inside one function that holds only plain
// data and a setjmp target: the longjmp skips libjpeg's frames and nothing else.
#include "qzio/codec_jpeg.h"

#include <sys/stat.h>

#include <csetjmp>
#include <cstring>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/byte_order.h"
#include "qzio/load_problem.h"

namespace qz::codec {
namespace {

struct JpegErrors {
  jpeg_error_mgr manager;  // first, so libjpeg's pointer is also ours
  jmp_buf jumpBack;
  char lastMessage[JMSG_LENGTH_MAX];
  bool dataEnded;  // the stream or the image data ran out; libjpeg goes on with made-up data
};

[[noreturn]] void Qz__JpegErrorExit(j_common_ptr common) {
  auto* errors = reinterpret_cast<JpegErrors*>(common->err);
  (*common->err->output_message)(common);
  longjmp(errors->jumpBack, 1);
}

// Keeps the text for debugging instead of printing it: the library shows no
// libjpeg messages, and warnings about corrupt data are common in the wild.
void Qz__JpegKeepMessage(j_common_ptr common) {
  auto* errors = reinterpret_cast<JpegErrors*>(common->err);
  (*common->err->format_message)(common, errors->lastMessage);
}

// Restart markers RST0-RST7: image data goes on after them.
constexpr int kFirstRestartMarker = 0xD0, kLastRestartMarker = 0xD7;

// True when the image data has run out for good: the file ended, or the data
// met a marker other than a restart marker (after a restart marker met early,
// the next interval's real data follows).
bool Qz__DataEnded(j_common_ptr common) {
  const int code = common->err->msg_code;
  if (code == JWRN_JPEG_EOF) return true;
  if (code != JWRN_HIT_MARKER || !common->is_decompressor) return false;
  const int marker = reinterpret_cast<j_decompress_ptr>(common)->unread_marker;
  return marker < kFirstRestartMarker || marker > kLastRestartMarker;
}

// Warnings only: data that ran out is noted so decoding can stop there
// instead of making up the rest of a picture that may be 65500 pixels high.
void Qz__JpegNote(j_common_ptr common, int level) {
  if (level >= 0) return;  // trace output
  auto* errors = reinterpret_cast<JpegErrors*>(common->err);
  if (Qz__DataEnded(common)) errors->dataEnded = true;
  ++common->err->num_warnings;
  Qz__JpegKeepMessage(common);
}

void Qz__InstallErrors(JpegErrors& errors) {
  jpeg_std_error(&errors.manager);
  errors.manager.error_exit = Qz__JpegErrorExit;
  errors.manager.output_message = Qz__JpegKeepMessage;
  errors.manager.emit_message = Qz__JpegNote;
  errors.lastMessage[0] = 0;
  errors.dataEnded = false;
}

// One input for the decoder: a stdio stream or a block of memory.
struct JpegInput {
  FILE* file;
  const uint8_t* data;
  size_t size;
};

void Qz__AttachInput(jpeg_decompress_struct& decoder, const JpegInput& input) {
  if (input.file) {
    jpeg_stdio_src(&decoder, input.file);
  } else {
    jpeg_mem_src(&decoder, input.data, static_cast<unsigned long>(input.size));
  }
}

// Huffman coding spends at least one bit on every block of every component
// (its DC difference), so a file smaller than an eighth of a byte per block
// cannot hold the picture it claims: refusing it spares making a buffer (and
// for a progressive file, coefficients) of gigabytes for a few hundred
// damaged bytes. Arithmetic coding has no such floor.
bool Qz__InputCanHoldScans(const jpeg_decompress_struct& decoder, const JpegInput& input) {
  if (decoder.arith_code) return true;
  uint64_t blocks = 0;
  for (int c = 0; c < decoder.num_components; ++c)
    blocks += uint64_t{decoder.comp_info[c].width_in_blocks} * decoder.comp_info[c].height_in_blocks;
  uint64_t bytes = input.size;
  if (input.file) {
    struct stat file {};
    if (fstat(fileno(input.file), &file) != 0) return true;
    bytes = static_cast<uint64_t>(file.st_size);
  }
  return blocks / 8 <= bytes;
}

// A fatal libjpeg error after the start of the stream matched: a damaged
// file, in libjpeg's words.
uint32_t Qz__Damaged(const JpegErrors& errors) {
  reportDamage(std::string("JPEG: ") + (errors.lastMessage[0] ? errors.lastMessage : "the file is damaged"));
  return kReadError;
}

uint32_t Qz__ReadInfo(const JpegInput& input, ImageInfo* info) {
  jpeg_decompress_struct decoder;
  JpegErrors errors;
  Qz__InstallErrors(errors);
  decoder.err = &errors.manager;
  if (setjmp(errors.jumpBack)) {
    jpeg_destroy_decompress(&decoder);
    return Qz__Damaged(errors);
  }
  jpeg_create_decompress(&decoder);
  Qz__AttachInput(decoder, input);
  jpeg_read_header(&decoder, TRUE);
  const uint32_t width = decoder.image_width;
  const uint32_t height = decoder.image_height;
  const uint32_t components = static_cast<uint32_t>(decoder.num_components);
  const bool canHold = Qz__InputCanHoldScans(decoder, input);
  jpeg_destroy_decompress(&decoder);
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return kNotThisFormat;
  if (!canHold) return reportTooShort("JPEG", width, height);
  info->width = width;
  info->height = height;
  info->depth = components * 8;
  info->kind = components == 1 ? PixelKind::Grey : PixelKind::TrueColour;
  return kOk;
}

uint32_t Qz__Decode(const JpegInput& input, PixelRows* rows) {
  jpeg_decompress_struct decoder;
  JpegErrors errors;
  uint32_t result = kBadArguments;
  Qz__InstallErrors(errors);
  decoder.err = &errors.manager;
  if (setjmp(errors.jumpBack)) {
    jpeg_destroy_decompress(&decoder);
    return Qz__Damaged(errors);
  }
  jpeg_create_decompress(&decoder);
  Qz__AttachInput(decoder, input);
  jpeg_read_header(&decoder, TRUE);
  // CMYK and other component counts have no layout here: refuse before
  // decoding rather than leaving it to libjpeg to fail part-way.
  if (decoder.num_components != 1 && decoder.num_components != 3) {
    reportDamage(decoder.num_components == 4
                     ? "JPEG: the picture is in CMYK colours, which Quillantrix cannot load"
                     : "JPEG: the picture has " + std::to_string(decoder.num_components) +
                           " colour components, which Quillantrix cannot load");
    jpeg_destroy_decompress(&decoder);
    return kUnexpectedKind;
  }
  if (!Qz__InputCanHoldScans(decoder, input)) {
    const uint32_t width = decoder.image_width, height = decoder.image_height;
    jpeg_destroy_decompress(&decoder);
    return reportTooShort("JPEG", width, height);
  }
  decoder.out_color_space = decoder.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&decoder);
  const uint32_t layout = decoder.output_components == 1 ? kLayoutGrey : kLayoutRGB;
  const JDIMENSION rowBytes = decoder.output_width * static_cast<JDIMENSION>(decoder.output_components);
  const int groupRows = decoder.rec_outbuf_height > 0 ? decoder.rec_outbuf_height : 1;
  // Pool memory: libjpeg frees it on destroy, also after a longjmp.
  JSAMPARRAY group = (*decoder.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&decoder),
                                                   JPOOL_IMAGE, rowBytes,
                                                   static_cast<JDIMENSION>(groupRows));
  result = kOk;
  constexpr JDIMENSION kNoRow = 0xFFFFFFFF, kBandRows = 32;
  JDIMENSION endOfDataRow = kNoRow;
  const bool multipleScans = jpeg_has_multiple_scans(&decoder);
  while (decoder.output_scanline < decoder.output_height) {
    const JDIMENSION first = decoder.output_scanline;
    const JDIMENSION got = jpeg_read_scanlines(&decoder, group, static_cast<JDIMENSION>(groupRows));
    if (got == 0) {
      result = kBadArguments;  // only a suspending source gives no rows, and ours never suspend
      break;
    }
    for (JDIMENSION i = 0; i < got; ++i) {
      if (!rows->store(first + i, layout, group[i])) result = kBadArguments;
    }
    if (result != kOk) break;
    if (!rows->progress(decoder.output_scanline, decoder.output_height)) {
      result = kCancelled;
      break;
    }
    // A short file keeps the rows it has; the rest stays as it was. The
    // data runs out while libjpeg decodes a whole band of up to 32 rows
    // ahead (a file only missing its end marker runs out in its last band),
    // so that band is still delivered. A file of several scans was read
    // whole before the first row: every row comes from data it holds.
    if (errors.dataEnded && endOfDataRow == kNoRow && !multipleScans) endOfDataRow = first + kBandRows;
    if (decoder.output_scanline >= endOfDataRow) break;
  }
  // Told when rows are missing, or when the scans that refine them are.
  const bool rowsMissing = decoder.output_scanline < decoder.output_height;
  if (result == kOk && !rowsMissing) {
    jpeg_finish_decompress(&decoder);
  } else {
    jpeg_abort_decompress(&decoder);
  }
  jpeg_destroy_decompress(&decoder);
  if (result == kOk && errors.dataEnded && (rowsMissing || multipleScans))
    reportPartial(std::string("JPEG: ") + (errors.lastMessage[0] ? errors.lastMessage : "the data ends early"));
  return result;
}

uint32_t Qz__Encode(FILE* file, uint32_t width, uint32_t height, const JpegSaveOptions* options,
                    PixelRows* rows) {
  jpeg_compress_struct encoder;
  JpegErrors errors;
  uint32_t result = kBadArguments;
  Qz__InstallErrors(errors);
  encoder.err = &errors.manager;
  if (setjmp(errors.jumpBack)) {
    // A full disk or a failing device is a write error, not a bad picture.
    const bool writeFailed = errors.manager.msg_code == JERR_FILE_WRITE || std::ferror(file);
    jpeg_destroy_compress(&encoder);
    return writeFailed ? kWriteFailed : kBadArguments;
  }
  jpeg_create_compress(&encoder);
  jpeg_stdio_dest(&encoder, file);
  encoder.image_width = width;
  encoder.image_height = height;
  encoder.input_components = 3;
  encoder.in_color_space = JCS_RGB;
  jpeg_set_defaults(&encoder);
  jpeg_set_quality(&encoder, options->quality, TRUE);
  if (options->progressive) jpeg_simple_progression(&encoder);
  jpeg_start_compress(&encoder, TRUE);
  JSAMPARRAY row = (*encoder.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&encoder),
                                                 JPOOL_IMAGE, width * 3, 1);
  result = kOk;
  while (encoder.next_scanline < encoder.image_height) {
    if (!rows->fetch(encoder.next_scanline, kLayoutRGB, row[0])) {
      result = kBadArguments;
      break;
    }
    jpeg_write_scanlines(&encoder, row, 1);
    if (!rows->progress(encoder.next_scanline, encoder.image_height)) {
      result = kCancelled;
      break;
    }
  }
  if (result == kOk) {
    jpeg_finish_compress(&encoder);
    if (std::fflush(file) != 0 || std::ferror(file)) result = kWriteFailed;
  } else {
    jpeg_abort_compress(&encoder);
  }
  jpeg_destroy_compress(&encoder);
  return result;
}

// Fields of the EXIF block at absolute offsets, in the block's byte order.
struct ExifFields {
  qz::ByteReader reader;
  bool bigEndian;

  uint32_t u16(size_t at) {
    reader.seek(at);
    return bigEndian ? reader.u16be() : reader.u16le();
  }
  uint32_t u32(size_t at) {
    reader.seek(at);
    return bigEndian ? reader.u32be() : reader.u32le();
  }
  bool failed() const { return reader.failed(); }
};

constexpr uint16_t kTagCompression = 259;
constexpr uint16_t kTagJpegOffset = 513;
constexpr uint16_t kTagJpegLength = 514;
constexpr uint32_t kCompressionOldJpeg = 6;
constexpr size_t kIfdEntryBytes = 12;
constexpr int kMaxDirectories = 8;  // a loop of directory links ends here

// Finds the thumbnail stream inside a TIFF block: skips the first directory,
// then takes the first directory with Compression 6 and a JPEG offset.
bool Qz__ThumbnailInBlock(const uint8_t* block, size_t size, size_t& start, size_t& length) {
  if (size < 8) return false;
  ExifFields f{qz::ByteReader(block, size), block[0] == 'M'};
  if (!((block[0] == 'I' && block[1] == 'I') || (block[0] == 'M' && block[1] == 'M'))) return false;
  if (f.u16(2) != 42) return false;
  size_t ifd = f.u32(4);
  for (int directory = 0; directory < kMaxDirectories && ifd != 0 && !f.failed(); ++directory) {
    const uint32_t entries = f.u16(ifd);
    if (f.failed() || entries > (size - ifd) / kIfdEntryBytes) return false;
    if (directory > 0) {
      uint32_t compression = 0, offset = 0, bytes = 0;
      bool hasOffset = false;
      for (uint32_t e = 0; e < entries; ++e) {
        const size_t at = ifd + 2 + e * kIfdEntryBytes;
        const uint32_t tag = f.u16(at), type = f.u16(at + 2);
        // SHORT values sit in the first half of the value field.
        const uint32_t value = type == 3 ? f.u16(at + 8) : f.u32(at + 8);
        if (tag == kTagCompression) compression = value;
        if (tag == kTagJpegOffset) offset = value, hasOffset = true;
        if (tag == kTagJpegLength) bytes = value;
      }
      if (f.failed()) return false;
      if (compression == kCompressionOldJpeg && hasOffset && offset < size) {
        // A missing or too long length means "to the end of the segment".
        start = offset;
        length = (bytes == 0 || bytes > size - offset) ? size - offset : bytes;
        return true;
      }
    }
    ifd = f.u32(ifd + 2 + entries * kIfdEntryBytes);
  }
  return false;
}

}  // namespace

bool jpegProbeMatches(std::span<const uint8_t> probe) {
  if (probe.size() < 4 || probe[0] != 0xFF || probe[1] != 0xD8 || probe[2] != 0xFF) return false;
  const uint8_t marker = probe[3];
  const bool appOrComment = (marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE;
  const bool tables = marker == 0xDB || marker == 0xC4 || marker == 0xDD || marker == 0xCC;
  const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
  return appOrComment || tables || frame;
}

uint32_t jpegReadInfo(FILE* file, ImageInfo& info) {
  if (!file) return kBadArguments;
  return Qz__ReadInfo(JpegInput{file, nullptr, 0}, &info);
}

uint32_t jpegReadInfoMemory(std::span<const uint8_t> data, ImageInfo& info) {
  if (data.empty()) return kNotThisFormat;
  return Qz__ReadInfo(JpegInput{nullptr, data.data(), data.size()}, &info);
}

uint32_t jpegDecode(FILE* file, PixelRows& rows) {
  if (!file) return kBadArguments;
  return Qz__Decode(JpegInput{file, nullptr, 0}, &rows);
}

uint32_t jpegDecodeMemory(std::span<const uint8_t> data, PixelRows& rows) {
  if (data.empty()) return kBadArguments;
  return Qz__Decode(JpegInput{nullptr, data.data(), data.size()}, &rows);
}

uint32_t jpegEncode(FILE* file, uint32_t width, uint32_t height, uint32_t depth,
                    const JpegSaveOptions& options, PixelRows& rows) {
  // libjpeg's own limit is 65500 a side.
  if (!file || depth != 24 || width == 0 || height == 0 || width > 65500 || height > 65500)
    return kBadArguments;
  JpegSaveOptions clamped = options;
  clamped.quality = clamped.quality < 1 ? 1 : (clamped.quality > 100 ? 100 : clamped.quality);
  return Qz__Encode(file, width, height, &clamped, &rows);
}

bool jpegFindExifThumbnail(FILE* file, std::vector<uint8_t>& thumbnail) {
  if (!file || std::fseek(file, 0, SEEK_SET) != 0) return false;
  uint8_t start[2];
  if (std::fread(start, 1, 2, file) != 2 || start[0] != 0xFF || start[1] != 0xD8) return false;
  // The EXIF segment is one of the application segments before the frame;
  // JFIF writers put theirs first, cameras put EXIF first.
  for (int segment = 0; segment < 64; ++segment) {
    uint8_t marker[4];
    if (std::fread(marker, 1, 4, file) != 4 || marker[0] != 0xFF) return false;
    const uint32_t length = static_cast<uint32_t>(marker[2]) << 8 | marker[3];
    if (length < 2) return false;
    if (marker[1] < 0xE0 || marker[1] > 0xEF) {
      if (marker[1] == 0xDA || marker[1] == 0xD9) return false;  // scan or end: no EXIF
      if (std::fseek(file, static_cast<long>(length) - 2, SEEK_CUR) != 0) return false;
      continue;
    }
    std::vector<uint8_t> body(length - 2);
    if (std::fread(body.data(), 1, body.size(), file) != body.size()) return false;
    static constexpr uint8_t kExifName[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (marker[1] != 0xE1 || body.size() < 6 || std::memcmp(body.data(), kExifName, 6) != 0) continue;
    size_t first = 0, bytes = 0;
    if (!Qz__ThumbnailInBlock(body.data() + 6, body.size() - 6, first, bytes)) return false;
    const uint8_t* stream = body.data() + 6 + first;
    thumbnail.assign(stream, stream + bytes);
    return true;
  }
  return false;
}

}  // namespace qz::codec
