// BitMap: shows a palette picture read from an ILBM file, or a platform
// bitmap handed to it. Pictures may be shared between objects (tool-bar
// faces, folder pictures); a shared picture lives until its last user goes,
// so no two objects ever free the same memory.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "gadgets/ilbm_reader.h"
#include "gadgets/qz_widgets.h"
#include "objects/qz_class_kit.h"
#include "objects/object_services.h"
#include "objects/qz_root.h"
#include "platform/graphics.h"

namespace {

// A picture read from a file: its display bitmap and planes, its pixels
// one byte each and the colour table (B, G, R, 0 per entry).
struct SharedPicture {
  std::atomic<int> users{1};
  BitMap* display = nullptr;
  qz::ilbm::Picture planar;
  std::vector<uint8_t> chunky;
  uint32_t stride = 0;
  QzBitmapInfo header{};
  bool hasPalette = false;
};

void release(SharedPicture* p) {
  if (p == nullptr || p->users.fetch_sub(1) != 1) return;
  if (p->display != nullptr) FreeBitMap(p->display);
  delete p;
}

struct BitMapObject {
  Qz_Object header;
  SharedPicture* picture;   // file picture, or NULL
  BitMap* foreign;          // handed-in display bitmap, not ours
  BitMap* second;           // 0x80046, owned elsewhere
  char* fileName;
  char* toolBarName;
  char* resourceName;
  int16_t valueA, valueB;
  uint16_t width, height;
  uint16_t colourZeroIsBackground = 1;
  uint8_t selected;
};

BitMapObject* asBitMap(Qz_Object* o) { return reinterpret_cast<BitMapObject*>(o); }

void setString(char** slot, const char* value) {
  std::free(*slot);
  *slot = value != nullptr ? strdup(value) : nullptr;
}

void freePictures(BitMapObject* b) {
  release(b->picture);
  b->picture = nullptr;
  b->foreign = nullptr;
}

QzWord load(BitMapObject* b, const char* name) {
  if (b->resourceName != nullptr) return 1;
  setString(&b->fileName, name);
  freePictures(b);
  auto* p = new (std::nothrow) SharedPicture;
  if (p == nullptr) return 0;
  std::string error;
  if (!qz::ilbm::readFile(name, &p->planar, &error)) {
    // The object shows nothing; whoever needs the picture learns it from its size.
    release(p);
    return 0;
  }
  const qz::ilbm::Picture& pic = p->planar;
  p->display = AllocBitMap(pic.width, pic.height, 8, BMF_CLEAR, nullptr);
  if (p->display == nullptr) {
    release(p);
    return 0;
  }
  p->chunky = qz::ilbm::toChunky(pic);
  p->stride = qz::ilbm::chunkyStride(pic.width);
  p->hasPalette = pic.hasPalette;
  QzBitmapInfo& h = p->header;
  h.biSize = 40;
  h.biWidth = pic.width;
  h.biHeight = -int32_t(pic.height);  // top row first
  h.biPlanes = 1;
  h.biBitCount = 8;
  h.biClrUsed = 1u << pic.planes;
  for (uint32_t c = 0; c < h.biClrUsed && pic.hasPalette; ++c) {
    h.bmiColors[c][0] = pic.palette[c * 3 + 2];
    h.bmiColors[c][1] = pic.palette[c * 3 + 1];
    h.bmiColors[c][2] = pic.palette[c * 3];
    h.bmiColors[c][3] = 0;
  }
  b->picture = p;
  b->width = pic.width;
  b->height = pic.height;
  if (pic.width == 48 && pic.height == 48) b->colourZeroIsBackground = 0;
  return 0;
}

QzWord loadToolBar(BitMapObject* b, const char* name) {
  setString(&b->toolBarName, name);
  if (name == nullptr) return 0;
  const std::string path = std::string("Qz_Images:ToolBar/") + name;
  return load(b, path.c_str());
}

QzWord share(BitMapObject* b, Qz_Object* other) {
  if (other == nullptr || other->objectClass != b->header.objectClass) return 0;
  BitMapObject* o = asBitMap(other);
  if (o == b) return 1;
  freePictures(b);
  if (o->picture != nullptr) {
    o->picture->users.fetch_add(1);
    b->picture = o->picture;
  }
  b->foreign = o->foreign;
  b->width = o->width;
  b->height = o->height;
  setString(&b->resourceName, o->resourceName);
  return 1;
}

QzWord measure(BitMapObject* b) {
  Qz_LayoutBox* box = &Qz_RootInstance(&b->header)->box;
  int16_t w = box->minWidth, h = box->minHeight;
  if (b->foreign != nullptr && box->minWidth == 0 && box->minHeight == 0) {
    w = int16_t(GetBitMapAttr(b->foreign, BMA_WIDTH));
    h = int16_t(GetBitMapAttr(b->foreign, BMA_HEIGHT));
  }
  if (b->width != 0) w = int16_t(b->width);
  if (b->height != 0) h = int16_t(b->height);
  box->width = box->minWidth = box->maxWidth = w;
  box->height = box->minHeight = box->maxHeight = h;
  return 0;
}

QzWord draw(BitMapObject* b) {
  SharedPicture* p = b->picture;
  if (p == nullptr) return 0;
  Qz_Object* self = &b->header;
  const Qz_LayoutBox* box = &Qz_RootInstance(self)->box;
  const int32_t w = std::min<int32_t>(box->width, p->planar.width);
  const int32_t h = std::min<int32_t>(box->height, p->planar.height);
  if (w <= 0 || h <= 0) return 0;
  Qz_DrawInfo* info = Qz_LockDrawInfo(self);
  if (info == nullptr) return 0;
  uint32_t table[256];
  for (int c = 0; c < 256; ++c) {
    table[c] = (uint32_t(p->header.bmiColors[c][2]) << 16) | (uint32_t(p->header.bmiColors[c][1]) << 8) |
               p->header.bmiColors[c][0];
  }
  if (b->colourZeroIsBackground == 1) {
    const uint32_t bg = Qz_ResolvePen(info->backgroundPen);  // COLORREF 0x00BBGGRR
    table[0] = ((bg & 0xFF) << 16) | (bg & 0xFF00) | ((bg >> 16) & 0xFF);
  }
  std::vector<uint32_t> rgb(std::size_t(w) * h);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* src = p->chunky.data() + std::size_t(y) * p->stride;
    for (int32_t x = 0; x < w; ++x) rgb[std::size_t(y) * w + x] = table[src[x]];
  }
  WritePixelArray(rgb.data(), 0, 0, w * 4, info->rastPort, box->left, box->top, w, h, kPixelFormatXRGB32);
  Qz_UnlockDrawInfo(self);
  return 0;
}

QzWord bitMapDispatch(Qz_Object* object, uint32_t id, const QzWord* args) {
  BitMapObject* b = asBitMap(object);
  Qz_LayoutBox* box = &Qz_RootInstance(object)->box;
  switch (id) {
    case kBitMapLoad:
    case kBitMapLoad2: return load(b, reinterpret_cast<const char*>(args[0]));
    case kBitMapGetFileName: return reinterpret_cast<QzWord>(b->fileName);
    case kBitMapToolBarName: return loadToolBar(b, reinterpret_cast<const char*>(args[0]));
    case kBitMapGetToolBarName: return reinterpret_cast<QzWord>(b->toolBarName);
    case kBitMapUseBitMap:
    case kBitMapUseBitMap2:
      freePictures(b);
      b->foreign = reinterpret_cast<BitMap*>(args[0]);
      return 0;
    case kBitMapGetBitMap:
    case kBitMapGetBitMap2:
      return reinterpret_cast<QzWord>(b->foreign != nullptr ? b->foreign
                                                             : (b->picture != nullptr ? b->picture->display : nullptr));
    case kBitMapSetSecond: b->second = reinterpret_cast<BitMap*>(args[0]); return 0;
    case kBitMapGetSecond: return reinterpret_cast<QzWord>(b->second);
    case kBitMapSetValueA: b->valueA = int16_t(args[0]); return 0;
    case kBitMapSetValueB: b->valueB = int16_t(args[0]); return 0;
    case kBitMapSetWidth: b->width = uint16_t(args[0]); return 0;
    case kBitMapSetHeight: b->height = uint16_t(args[0]); return 0;
    case kBitMapColourZeroBackground: b->colourZeroIsBackground = uint16_t(args[0]); return 0;
    case kBitMapShare: return share(b, reinterpret_cast<Qz_Object*>(args[0]));
    case kBitMapLoadResource: return 0;  // the program carries no bitmap resources
    case kFixWidth: box->width = box->minWidth = int16_t(args[0]); return 0;
    case kFixHeight: box->height = box->minHeight = int16_t(args[0]); return 0;
    case kRootMeasure: return measure(b);
    case kRootDraw: return draw(b);
    case kRootSelect: b->selected = 1; return reinterpret_cast<QzWord>(object);
    case kRootDeselect: b->selected = 0; return reinterpret_cast<QzWord>(object);
    case kRootObjectAtPoint:
    case kRootObjectAtPoint2:
      if (!Qz_IsCoordOverObject(object, int32_t(args[0]), int32_t(args[1]))) return 0;
      b->selected = id == kRootObjectAtPoint ? 1 : 0;
      return reinterpret_cast<QzWord>(object);
    default: return qz::kit::inherited(object, id, args);
  }
}

void bitMapTearDown(Qz_Object* object) {
  BitMapObject* b = asBitMap(object);
  freePictures(b);
  std::free(b->fileName);
  std::free(b->toolBarName);
  std::free(b->resourceName);
}

const TagItem kBitMapSuperTags[] = {{kRootSetWeight, 50}, {TAG_DONE, 0}};

const qz::kit::ClassDecl kBitMapClass = {
    .name = "BitMap", .superName = "Root", .classId = kBitMapClassId,
    .instance = qz::kit::instanceOf<BitMapObject>(), .handler = bitMapDispatch,
    .superTags = kBitMapSuperTags, .tearDown = bitMapTearDown,
    .notice = "Picture from an ILBM file or a platform bitmap"};

}  // namespace

QZ_EXTERN_C_BEGIN
QZ_EXPORT QzWord Qz_InitBitMapClass(Qz_GlobalData*) { return qz::kit::addClass(kBitMapClass); }
QZ_EXPORT void Qz_CleanupBitMapClass(void) { qz::kit::removeClass(kBitMapClass); }
QZ_EXTERN_C_END
