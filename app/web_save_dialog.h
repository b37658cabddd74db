// Save for the web: a window showing the image beside a preview of it as it
// comes out of JPEG, PNG or GIF compression with the chosen options, the
// compressed size and download times, and Save, which copies the trial file
// to a place of the user's choice. A worker thread makes each trial, so the
// window stays live while the options change.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "app/web_save_trial.h"
#include "platform/exec.h"
#include "platform/qz_export.h"

struct Qz_Image;
struct Qz_Object;

QZ_EXTERN_C_BEGIN
// Runs the dialog over the image, which stays locked for reading while it runs.
QZ_EXPORT void Qz__SaveImageForTheWeb(Qz_Image* image);
QZ_EXTERN_C_END

namespace qz::web {

// Asks where to save: starts with the folder and name given and leaves the
// chosen ones there; false when the user cancelled.
using SaveNameRequest = std::function<bool(std::string& folder, std::string& name)>;
// Replaces how the destination is asked for (empty: the file requester).
QZ_EXPORT void setSaveNameRequest(SaveNameRequest request);

class QZ_EXPORT WebSaveDialog {
 public:
  // Locks the image, makes the trial file, builds and opens the window and
  // starts the worker with a first estimate; null when any of it fails.
  static std::unique_ptr<WebSaveDialog> open(Qz_Image* image);
  // Closes the window, stops the worker, deletes the trial file, restores
  // the formats' options and releases the image.
  ~WebSaveDialog();
  WebSaveDialog(const WebSaveDialog&) = delete;
  WebSaveDialog& operator=(const WebSaveDialog&) = delete;

  // Waits until Save, Cancel or the window's close (or the break signal);
  // true for Save.
  bool run();
  // Asks for the destination (and whether to replace a file there) and
  // copies the trial file; false when nothing was written.
  bool saveTrialFile();

  enum class Gadget {
    Window, ImageView, PreviewView, FormatChoice, JpegQuality, PngLevel, GifColours, Save, Cancel, CompressedSize
  };
  Qz_Object* gadget(Gadget which) const;
  const std::string& trialFile() const { return trialFile_; }
  // Estimates finished so far.
  uint32_t estimates() const { return estimates_.load(std::memory_order_acquire); }

 private:
  WebSaveDialog() = default;
  bool build();
  bool startWorker();
  WebOptions chosenOptions() const;
  void estimate(const WebOptions& options);
  Qz_Image* loadTrial() const;
  void showPreview();
  void showSizes(int64_t bytes);
  void setLabel(Qz_Object* text, std::string label);
  void showPage(Qz_Object* pages, uint32_t page);
  void settleWindow();
  static void workerEntry(QzWord self);
  static void onOptionChanged(QzWord self, Qz_Object* source, uint32_t method, const QzWord* value);
  static void onScrolled(QzWord self, Qz_Object* source, uint32_t method, const QzWord* value);

  Qz_Image* image_ = nullptr;
  bool locked_ = false;
  std::string trialFile_;
  WebFormats formats_;
  QzWord savedOptions_[8] = {};
  Qz_Object* window_ = nullptr;
  Qz_Object* views_[2] = {};         // image, preview
  Qz_Object* viewGroups_[2] = {};    // their scrolled frames
  Qz_Object* formatChoice_ = nullptr;
  Qz_Object* optionPages_ = nullptr;
  Qz_Object* sliders_[4] = {};       // JPEG quality, PNG level, GIF colours, GIF dithering
  Qz_Object* encodings_[3] = {};     // JPEG, PNG, GIF
  Qz_Object* sizeStatus_ = nullptr;  // the compressed size, or "Working..." while a trial runs
  Qz_Object* compressedSize_ = nullptr;
  Qz_Object* times_[3] = {};
  Qz_Object* saveButton_ = nullptr;
  Qz_Object* cancelButton_ = nullptr;
  WebFormat pageFormats_[3] = {};    // the format of each entry of the format choice
  Qz_Object* worker_ = nullptr;
  std::atomic<Task*> workerTask_{nullptr};
  SignalSemaphore semaphore_ = {};  // guards options_
  WebOptions options_;               // the gadgets' values, read on the window's thread
  Qz_Image* preview_ = nullptr;      // the trials read back, shown by the preview view
  std::atomic<uint32_t> estimates_{0};
  uint32_t running_ = 1;             // cleared by Save, Cancel and the close box
  bool scrolling_ = false;           // the window thread is passing a scroll on
  std::deque<std::string> labels_;   // texts the gadgets show (made at build, then by the worker)
};

}  // namespace qz::web
