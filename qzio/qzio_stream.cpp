// The stream calls every format uses on its header's stream: whole items in
// and out, and 1-, 2- and 4-byte values in the header's byte order.
#include <cstdio>

#include "qzio/qzio.h"

namespace {

bool BigEndian(const QZIO_Header* h) { return h->byteOrder == 1; }

bool ReadBytes(QZIO_Header* h, uint8_t* bytes, size_t n) {
  return h && h->stream && std::fread(bytes, 1, n, h->stream) == n;
}

bool WriteBytes(QZIO_Header* h, const uint8_t* bytes, size_t n) {
  return h && h->stream && std::fwrite(bytes, 1, n, h->stream) == n;
}

}  // namespace

QZ_EXTERN_C_BEGIN

size_t QZIO_ReadData(void* dest, size_t itemSize, size_t count, QZIO_Header* h) {
  if (!h || !h->stream || !dest || itemSize == 0) return 0;
  return std::fread(dest, itemSize, count, h->stream);
}

size_t QZIO_WriteData(const void* source, size_t itemSize, size_t count, QZIO_Header* h) {
  if (!h || !h->stream || !source || itemSize == 0) return 0;
  return std::fwrite(source, itemSize, count, h->stream);
}

int32_t QZIO_ReadULONG(uint32_t* dest, QZIO_Header* h) {
  uint8_t b[4];
  if (!dest || !ReadBytes(h, b, 4)) return 0;
  *dest = BigEndian(h) ? (uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3])
                       : (uint32_t(b[3]) << 24 | uint32_t(b[2]) << 16 | uint32_t(b[1]) << 8 | b[0]);
  return 1;
}

int32_t QZIO_ReadUWORD(uint16_t* dest, QZIO_Header* h) {
  uint8_t b[2];
  if (!dest || !ReadBytes(h, b, 2)) return 0;
  *dest = BigEndian(h) ? uint16_t(b[0] << 8 | b[1]) : uint16_t(b[1] << 8 | b[0]);
  return 1;
}

int32_t QZIO_ReadUBYTE(uint8_t* dest, QZIO_Header* h) {
  uint8_t b;
  if (!dest || !ReadBytes(h, &b, 1)) return 0;
  *dest = b;
  return 1;
}

int32_t QZIO_WriteULONG(uint32_t v, QZIO_Header* h) {
  if (!h) return 0;
  const uint8_t be[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
  const uint8_t le[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  return WriteBytes(h, BigEndian(h) ? be : le, 4) ? 1 : 0;
}

int32_t QZIO_WriteUWORD(uint16_t v, QZIO_Header* h) {
  if (!h) return 0;
  const uint8_t be[2] = {uint8_t(v >> 8), uint8_t(v)};
  const uint8_t le[2] = {uint8_t(v), uint8_t(v >> 8)};
  return WriteBytes(h, BigEndian(h) ? be : le, 2) ? 1 : 0;
}

int32_t QZIO_WriteUBYTE(uint8_t v, QZIO_Header* h) { return WriteBytes(h, &v, 1) ? 1 : 0; }

int32_t QZIO_Seek(QZIO_Header* h, int64_t offset, int32_t origin) {
  if (!h || !h->stream || origin < 0 || origin > 2) return -1;
  const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
  return fseeko(h->stream, static_cast<off_t>(offset), whence) == 0 ? 0 : -1;
}

QZ_EXTERN_C_END
