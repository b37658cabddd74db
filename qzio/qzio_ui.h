// How the image-file library reaches the user: message boxes, the options
// requester, progress displays and catalogue texts. The program installs
// hooks that open its own windows. Without hooks, messages go to the object
// layer's message box, texts come from the language catalogue, requesters
// are accepted with their defaults and there is no progress display.
#pragma once

#include <cstdint>

#include "platform/qz_export.h"

struct Qz_Object;

namespace qzio {

struct UiHooks {
  // Shows text in a one-button box titled title; returns the box's answer.
  int32_t (*messageBox)(const char* title, const char* text) = nullptr;
  // Shows the options object of a format; 0 when the user cancels.
  int32_t (*showRequester)(const char* title, Qz_Object* format, Qz_Object* options) = nullptr;
  // A progress display, or null for none.
  void* (*beginProgress)(const char* title, const char* text) = nullptr;
  // 0 when the user has asked to stop.
  int32_t (*setProgress)(void* display, uint32_t done, uint32_t total) = nullptr;
  void (*endProgress)(void* display) = nullptr;
  // Catalogue text n, or null when the catalogue has none.
  const char* (*catalogString)(uint32_t number) = nullptr;
};

// Installs hooks (copied); null goes back to the quiet defaults. Missing
// entries keep their quiet default.
QZ_EXPORT void SetUiHooks(const UiHooks* hooks);

}  // namespace qzio
