// The host back end: what the window layer needs of the system it runs on.
// Two implementations sit behind it, chosen once by QZ_HOST (headless|x11;
// X11 when unset): headless (in-memory desktop, input injected by tests) and
// X11 (one display thread owning the connection). Back ends deliver input by
// calling the entry points of host/host_input.h and never hold a lock of the
// window layer while doing so; every call below returns without waiting for
// the window layer.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/qz_export.h"

namespace qz::host {

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* name() const = 0;

  // Opens the host window holding the desktop and reports its size. false
  // (with a message on stderr saying why) when there is no display.
  virtual bool start(int* width, int* height) = 0;
  // Closes the host window; input stops.
  virtual void stop() = 0;

  // The composed desktop changed: compose and show it when next possible.
  virtual void presentLater() = 0;
  virtual void setTitle(const std::string& title) = 0;
  // Holds all pointer input in the host window while a window has capture.
  virtual void grabPointer(bool on) = 0;
  // Brings the host window to the front (a hand-over from a second start).
  virtual void raise() = 0;
  // Cursor shapes numbered as Qz_SetCursor's (0 arrow).
  virtual void setCursor(int shape) = 0;

  // The clipboard, by MIME type ("text/plain;charset=utf-8" travels as UTF8_STRING).
  // Offering replaces everything offered before; one picture may be offered
  // in several types at once so that each reader takes the one it knows.
  using ClipboardOffers = std::map<std::string, std::vector<uint8_t>>;
  virtual bool offerClipboard(ClipboardOffers offers) = 0;
  bool setClipboard(const std::string& mimeType, const std::vector<uint8_t>& bytes) {
    return offerClipboard(ClipboardOffers{{mimeType, bytes}});
  }
  virtual bool clipboard(const std::string& mimeType, std::vector<uint8_t>* bytes) = 0;
  virtual std::vector<std::string> clipboardTypes() = 0;

  // Screen grabs work in the host's screen coordinates: the whole display
  // (the X root window), of which our desktop may be a part.
  struct GrabArea {
    int x = 0, y = 0, width = 0, height = 0;
  };
  // The whole screen, and where our desktop's origin lies on it.
  virtual bool grabScreenArea(GrabArea* screen, int* deskLeft, int* deskTop) = 0;
  // The window the user works in when it belongs to another program, with
  // its frame or only its client area; false when it is ours or unknown.
  virtual bool foreignActiveWindow(bool clientOnly, GrabArea* area) = 0;
  // Reads screen pixels (0x00RRGGBB, row by row) as the host shows them.
  virtual bool grabScreen(int x, int y, int width, int height, std::vector<uint32_t>* pixels) = 0;

  // Pressure axis of a pen tablet, when one is attached.
  virtual bool tabletPresent() = 0;
};

// The back end in use; chosen and made on first call.
QZ_EXPORT Backend& backend();
// "headless" or "x11": what QZ_HOST asks for.
QZ_EXPORT std::string chosenBackendName();

Backend* makeHeadlessBackend();
Backend* makeX11Backend();

}  // namespace qz::host
