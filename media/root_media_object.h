// The RootMedia instance record, for the media classes built on it (the
// picture brush reads the brush images it lays).
#pragma once

#include <cstdint>
#include <string>

#include "image/qz_image.h"
#include "platform/exec.h"

struct Qz_RootMediaObject {
  Qz_RootMediaObject() { InitSemaphore(&semaphore); }
  ~Qz_RootMediaObject() { CleanupSemaphore(&semaphore); }

  Qz_Object header{};  // super: a Root
  int32_t size = 0;    // as last set; 0 until then
  int32_t brushWidth = 70, brushHeight = 70;  // a media never sized paints with this brush
  uint32_t pressure = 20;
  Qz_Image* brushImage = nullptr;   // owned
  Qz_Image* shapeImage = nullptr;   // owned only when loaded from a file
  Qz_Image* smearBuffer = nullptr;  // owned
  Qz_Image* alphaImage = nullptr;   // owned only when loaded from a file
  Qz_Image* brushAlpha = nullptr;   // owned: the alpha image scaled to the brush
  bool ownsShape = false, ownsAlpha = false;
  std::string shapeName, alphaName, modeName;
  int32_t freehand = 0, smear = 0, imageMode = 0, jitter = 0;
  uint32_t flags = 0;
  int32_t lastX = 0, lastY = 0;
  uint32_t lastButton = 0;
  SignalSemaphore semaphore{};  // guards all of the above across a stroke message
};

namespace qz::media {
// The RootMedia instance inside a media object of any class built on it; none
// when the object holds none.
Qz_RootMediaObject* rootMediaOf(Qz_Object* media);
}  // namespace qz::media
