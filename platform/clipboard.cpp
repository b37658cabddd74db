#include "platform/clipboard.h"

#include <cstring>
#include <string>
#include <vector>

#include "host/host_backend.h"
#include "platform/exec.h"

QZ_EXTERN_C_BEGIN

int32_t Qz_ClipboardSetText(const char* utf8) {
  if (!utf8) return 0;
  std::vector<uint8_t> bytes(utf8, utf8 + std::strlen(utf8));
  return qz::host::backend().setClipboard(kQzClipboardTextType, bytes) ? 1 : 0;
}

char* Qz_ClipboardGetText(void) {
  std::vector<uint8_t> bytes;
  if (!qz::host::backend().clipboard(kQzClipboardTextType, &bytes)) return nullptr;
  auto* text = static_cast<char*>(AllocVec(bytes.size() + 1, MEMF_CLEAR));
  if (!text) return nullptr;
  if (!bytes.empty()) std::memcpy(text, bytes.data(), bytes.size());
  return text;
}

int32_t Qz_ClipboardSetData(const char* mimeType, const void* bytes, size_t length) {
  const Qz_ClipboardOffer offer = {mimeType, bytes, length};
  return Qz_ClipboardSetOffers(&offer, 1);
}

int32_t Qz_ClipboardSetOffers(const Qz_ClipboardOffer* offers, size_t count) {
  if (!offers || count == 0) return 0;
  qz::host::Backend::ClipboardOffers all;
  for (size_t i = 0; i < count; ++i) {
    const Qz_ClipboardOffer& o = offers[i];
    if (!o.mimeType || (o.length && !o.bytes)) return 0;
    const auto* p = static_cast<const uint8_t*>(o.bytes);
    all[o.mimeType] = std::vector<uint8_t>(p, p + o.length);
  }
  return qz::host::backend().offerClipboard(std::move(all)) ? 1 : 0;
}

void* Qz_ClipboardGetData(const char* mimeType, size_t* length) {
  if (length) *length = 0;
  std::vector<uint8_t> bytes;
  if (!mimeType || !qz::host::backend().clipboard(mimeType, &bytes)) return nullptr;
  void* copy = AllocVec(bytes.size() ? bytes.size() : 1, MEMF_CLEAR);
  if (!copy) return nullptr;
  if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
  if (length) *length = bytes.size();
  return copy;
}

int32_t Qz_ClipboardHoldsImage(void) {
  for (const std::string& type : qz::host::backend().clipboardTypes())
    if (type == "image/bmp" || type == "image/png") return 1;
  return 0;
}

QZ_EXTERN_C_END
