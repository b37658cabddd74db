// Shared set-up of the image-file library tests: the library started over a
// private data folder (so each test picks its own detection list), the UI
// hooks replaced by recorders, and small helpers for files and pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "qzio/qzio.h"
#include "qzio/qzio_ui.h"
#include "qzio/root_qzio.h"
#include "support/temp_dir.h"

namespace qztest {

// What the library showed through its hooks.
struct UiRecord {
  std::vector<std::string> boxes;  // texts of message boxes
  int requesters = 0;
  int requesterAnswer = 1;
  int progressBegun = 0;
  int progressCalls = 0;
  int stopAtCall = 0;  // 1-based call of setProgress that asks to stop; 0 never
  std::vector<std::pair<uint32_t, uint32_t>> progress;
};

UiRecord& Ui();
void InstallRecordingHooks();

// Starts the library with a detection list of the given names (in a private
// data folder) and ends it again; registers RootQZIO and the PPM and native
// classes. The default environment's data folder is restored afterwards.
class QzioLibrary {
 public:
  explicit QzioLibrary(const std::vector<std::string>& formats);
  ~QzioLibrary();
  const TempDir& dir() const { return dir_; }

 private:
  TempDir dir_;
  std::string oldDataDir_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool ToolAvailable(const char* tool);
// Runs a shell command; its exit status.
int Run(const std::string& command);

// A format-1 buffer with a gradient that differs in every channel.
QZIO_ImageBuffer* MakePattern(uint32_t width, uint32_t height);
// R, G, B bytes of a format-1 (or grey) buffer, row after row.
std::vector<uint8_t> RgbBytes(QZIO_ImageBuffer* buffer);

}  // namespace qztest
