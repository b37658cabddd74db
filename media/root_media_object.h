// The RootMedia instance record, for the media classes built on it (the
// picture brush reads the brush images it lays).
#pragma once

#include <cstdint>
#include <string>

#include "image/qz_image.h"
#include "platform/exec.h"

// What the engine keeps besides plain words; made with the object.
struct MediaNames {
  std::string shape, alpha, mode;
};

struct Qz_RootMediaObject {
  Qz_Object header;  // super: a Root
  int32_t size;
  int32_t brushWidth, brushHeight;
  uint32_t pressure;
  Qz_Image* brushImage;   // owned
  Qz_Image* shapeImage;   // owned only when loaded from a file
  Qz_Image* smearBuffer;  // owned
  Qz_Image* alphaImage;   // owned only when loaded from a file
  Qz_Image* brushAlpha;   // owned: the alpha image scaled to the brush
  bool ownsShape, ownsAlpha;
  MediaNames* names;
  int32_t freehand, smear, imageMode, jitter;
  uint32_t flags;
  int32_t lastX, lastY;
  uint32_t lastButton;
  SignalSemaphore semaphore;  // guards all of the above across a stroke message
};

namespace qz::media {
// The RootMedia instance inside a media object of any class built on it; none
// when the object holds none.
Qz_RootMediaObject* rootMediaOf(Qz_Object* media);
}  // namespace qz::media
