#include "requesters/page_layout.h"

#include <algorithm>
#include <cmath>

namespace qz::page {
namespace {

const PaperRow kPapers[kPaperCount] = {
    {"Letter", 215.9004f, 279.40057f, kUnitInches},
    {"Legal", 215.9004f, 355.6007f, kUnitInches},
    {"A4", 210.0f, 297.0f, kUnitCentimetres},
    {"    Custom (inches)   ", 0, 0, kUnitInches},
    {"Custom (cm)", 0, 0, kUnitCentimetres},
};

// The paper less the margins, never below the smallest printable area.
float Qz__AreaWidth(const PageLayout& p) {
  return std::max(kMinimumArea, p.paperWidth - p.margins[kLeft] - p.margins[kRight]);
}
float Qz__AreaHeight(const PageLayout& p) {
  return std::max(kMinimumArea, p.paperHeight - p.margins[kTop] - p.margins[kBottom]);
}

bool Qz__HasImage(const PageLayout& p) { return p.imageWidth > 0 && p.imageHeight > 0; }

void Qz__FitIfOn(PageLayout& p) {
  if (p.fit) fitToPage(p);
}

void Qz__MakeCustom(PageLayout& p) {
  p.paper = p.unit == kUnitInches ? kCustomInches : kCustomCentimetres;
}

}  // namespace

const PaperRow& paperRow(int32_t index) {
  return kPapers[std::clamp(index, int32_t(0), kPaperCount - 1)];
}

bool positive(float value) { return std::isfinite(value) && value > 0; }

bool choosePaper(PageLayout& page, int32_t index) {
  if (index < 0 || index >= kPaperCount) return false;
  const PaperRow& row = kPapers[index];
  page.paper = index;
  page.unit = row.unit;
  if (row.width > 0) {
    page.paperWidth = row.width;
    page.paperHeight = row.height;
  }
  Qz__FitIfOn(page);
  return true;
}

bool typePaperWidth(PageLayout& page, float millimetres) {
  if (!positive(millimetres)) return false;
  page.paperWidth = millimetres;
  Qz__MakeCustom(page);
  Qz__FitIfOn(page);
  return true;
}

bool typePaperHeight(PageLayout& page, float millimetres) {
  if (!positive(millimetres)) return false;
  page.paperHeight = millimetres;
  Qz__MakeCustom(page);
  Qz__FitIfOn(page);
  return true;
}

bool setMargin(PageLayout& page, Margin side, float millimetres) {
  if (side < kLeft || side > kBottom || !std::isfinite(millimetres) || millimetres < 0) return false;
  page.margins[side] = millimetres;
  Qz__FitIfOn(page);
  return true;
}

bool typeResolution(PageLayout& page, float dotsPerInch) {
  if (!positive(dotsPerInch)) return false;
  page.fit = false;
  const float old = positive(page.resolution) ? page.resolution : 1.0f;
  page.resolution = dotsPerInch;
  page.printWidth = page.printWidth / dotsPerInch * old;
  page.printHeight = page.printHeight / dotsPerInch * old;
  return true;
}

bool typePrintWidth(PageLayout& page, float millimetres) {
  if (!positive(millimetres) || !Qz__HasImage(page)) return false;
  return typeResolution(page, float(page.imageWidth) / (millimetres * kInchesPerMillimetre));
}

bool typePrintHeight(PageLayout& page, float millimetres) {
  if (!positive(millimetres) || !Qz__HasImage(page)) return false;
  return typeResolution(page, float(page.imageHeight) / (millimetres * kInchesPerMillimetre));
}

void setFit(PageLayout& page, bool on) {
  page.fit = on;
  Qz__FitIfOn(page);
}

bool fitToPage(PageLayout& page) {
  if (!page.fit || !Qz__HasImage(page)) return false;
  const float areaWidth = Qz__AreaWidth(page), areaHeight = Qz__AreaHeight(page);
  const float w = float(page.imageWidth), h = float(page.imageHeight);
  float printWidth, printHeight;
  if (areaWidth > areaHeight) {
    printHeight = areaHeight;
    printWidth = areaHeight * w / h;
    if (printWidth > areaWidth) {
      printWidth = areaWidth;
      printHeight = h * areaWidth / w;
    }
  } else {
    printWidth = areaWidth;
    printHeight = h * areaWidth / w;
    if (printHeight > areaHeight) {
      printHeight = areaHeight;
      printWidth = w * areaHeight / h;
    }
  }
  page.printWidth = printWidth;
  page.printHeight = printHeight;
  page.resolution = w / (printWidth * kInchesPerMillimetre);
  return true;
}

void setImage(PageLayout& page, int32_t width, int32_t height, float resolution) {
  page.imageWidth = std::max(width, int32_t(0));
  page.imageHeight = std::max(height, int32_t(0));
  page.resolution = positive(resolution) ? resolution : 72.0f;
  if (page.fit && fitToPage(page)) return;
  page.printWidth = float(page.imageWidth) / page.resolution * kMillimetresPerInch;
  page.printHeight = float(page.imageHeight) / page.resolution * kMillimetresPerInch;
}

}  // namespace qz::page
