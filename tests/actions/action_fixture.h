// Shared set-up of the action tests: the image classes and the action
// classes for the whole program, a recording media that also lays a plain
// line into the layer's transparency, and documents with paint layers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "actions/qz_actions.h"

namespace qztest {

// One media stroke message as the media received it.
struct StrokeMessage {
  uint32_t kind;
  Qz_Image* layer;
  uint32_t button, flags;
  int32_t coords[6];
  uint32_t pressure;  // first word of the tablet record, 0 without one
};

// The media stand-in: records strokes, draws each line as a 1-pixel trace
// (button 1 adds 40, any other subtracts 40) and keeps size and strength.
// Each stroke takes at least delayMs, so a replay of several is slow.
struct RecordingMedia {
  Qz_Object header;
  std::vector<StrokeMessage>* log;
  uint32_t size, strength;
  uint32_t delayMs;
};

Qz_Object* MakeRecordingMedia();
RecordingMedia* AsRecordingMedia(Qz_Object* media);
std::vector<StrokeMessage>& MediaLog(Qz_Object* media);

class ActionTest : public ::testing::Test {
 protected:
  void TearDown() override;
  // A 24-bit document without thread, with `layers` 8-bit paint layers and
  // a recording media; the first layer is left active.
  Qz_Image* MakeDocument(int32_t width, int32_t height, int layers, int32_t depth = 24);
  Qz_Image* Layer(Qz_Image* document, int index);
  // Disposes a document MakeDocument made, before the test ends.
  void DisposeDocument(Qz_Image* document);
  // A freehand stroke through the points, added to the layer and applied.
  Qz_Object* Stroke(Qz_Image* layer, const std::vector<std::pair<int32_t, int32_t>>& points,
                    uint32_t qualifier = 1, uint32_t flags = kActionFreehand);
  // A RootAction with points, not added anywhere (the caller owns it).
  Qz_Object* MakeStroke(const std::vector<std::pair<int32_t, int32_t>>& points,
                        uint32_t qualifier = 1, uint32_t flags = kActionFreehand);

 private:
  std::vector<Qz_Image*> documents_;
};

std::vector<uint8_t> Plane(Qz_Plane plane, int32_t width, int32_t height);

}  // namespace qztest
