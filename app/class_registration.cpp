#include "app/class_registration.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <string>

#include "objects/qz_class_kit.h"

namespace {

// Subclasses may come before their superclass: an object builds its
// superclass part by name when it is made, so only the order of the
// groups matters to the classes themselves.
constexpr const char* kApplication[] = {
    "QuillantrixPrefs", "Image", "ImageView", "BatchProcess", "QZIOOptions", "PopTabs", "Histogram",
    "PageSetup"};
constexpr const char* kModes[] = {
    "AddColourMode", "AddNoiseMode", "AdjustMode", "AutoContrastMode", "AutoEnhanceMode", "AutoEqualizeMode",
    "BasReliefMode", "BiColourMode", "BizarrePixelizeMode", "BloomBlurMode", "BlurMode", "BurnMode",
    "BumpMapMode", "BurnThruMode", "ChannelFlipMode", "ChannelRandomizeMode", "ChannelThresholdMode",
    "CloneMode", "ColouriseMode", "ColourToGreyMode", "ConvolveMode", "ContourMapMode", "CrackedPaintMode",
    "CrossBlurMode", "DarkenMode", "DeinterlaceMode", "DespeckleMode", "DifferenceRGBMode",
    "DisplaceMapMode", "DodgeMode", "DoubleVisionMode", "EdgeDetectMode", "EmbossMode", "FireMode",
    "FireBlurMode", "FlipXMode", "FlipYMode", "GaussianBlurMode", "GlowMode", "GlowEdgesMode",
    "HardLightMode", "HistogramMode", "HoneycombMode", "HSVBlurMode", "InvertBrightnessMode", "LightenMode",
    "MakeSeamlessMode", "MedianMode", "MotionBlurMode", "MultiplyMode", "NegativeMode", "NonaVisionMode",
    "OctaVisionMode", "OverlayMode", "PaintMode", "PaintTextureMode", "PanBlurMode", "PentaVisionMode",
    "PixelizeMode", "PlusBlurMode", "PolarMosaicMode", "PosterizeMode", "QuadVisionMode", "RadialBlurMode",
    "RandomizeMode", "RemoveColourCastMode", "RemoveNoiseMode", "RemoveRedEyeMode", "RollMode",
    "RollBlurMode", "RootMode", "RubAddMode", "RubBrightnessMode", "RubDarkenMode", "RubDifferenceMode",
    "RubEmbossMode", "RubLightenMode", "RubMultiplyMode", "RubOrMode", "RubPaintMode", "RubSubtractMode",
    "RubThruMode", "RubTiledMode", "RubXOrMode", "SepiaMode", "ScreenMode", "SharpenMode", "SoftLightMode",
    "SolarizeMode", "SpherizeMode", "StarBlurMode", "StellateMode", "SubtractColourMode", "SuperNovaMode",
    "SwapSVMode", "SwirlMode", "ThickPaintMode", "ThresholdMode", "TileMode", "TintMode", "TripleVisionMode",
    "TVScanlinesMode", "TwirlMode", "UnsharpMaskMode", "MinMode", "MaxMode"};
constexpr const char* kMedia[] = {
    "RootMedia", "AirBrushMedia", "ImageMedia"};
constexpr const char* kTools[] = {
    "ButtonTool", "CloneTool", "ColourPickerTool", "CurveTool", "CropTool", "DrawTool", "EllipseTool",
    "FillTool", "LineTool", "MagnifyTool", "PolygonTool", "PositionActionTool", "PositionTool",
    "RectangleTool", "RootTool", "SymmetryTool", "TextTool"};
constexpr const char* kActions[] = {
    "ButtonAction", "CropAction", "CollapseAction", "DisposeImageAction", "FillImageAction",
    "FloodFillAction", "InvertImageAction", "PointAction", "RootAction", "TextAction", "MediaSettingsAction",
    "ImageAction", "TransformAction", "ColourAction", "ModeAction", "PositionAction"};
constexpr const char* kPanels[] = {
    "RootPlugin", "ImageControlPlugin", "PluginContainer", "PluginContainerWindow",
    "PaintModeSelectorPlugin", "CoordsPlugin", "MagnifyPlugin", "PreviewPlugin", "UndoRedoPlugin",
    "ChannelsPlugin", "InspectionPlugin", "MainMenuPlugin", "ColourSwatches", "ColourChooserPlugin",
    "PalettePlugin", "MediaPlugin", "ModeOptionsPlugin", "ToolOptionsPlugin", "QZIOPlugin",
    "TransGradientPlugin", "TransparencyPlugin", "VignettePlugin"};
constexpr const char* kFormats[] = {  // image formats, always last
    "RootQZIO", "BMPQZIO", "ILBMQZIO", "IFFDEEPQZIO", "JPEGQZIO", "PCXQZIO", "PPMQZIO", "PSDQZIO",
    "TARGAQZIO", "ScreenGrabQZIO", "PICTQZIO", "SGIQZIO", "XBMQZIO", "XPMQZIO", "XWDQZIO", "RASQZIO",
    "TIFFQZIO", "QuillantrixQZIO", "PCDQZIO", "PSQZIO", "EPSQZIO", "PNGQZIO", "ClipboardQZIO"};

template <std::size_t... Sizes>
constexpr auto Qz__Concatenate(const char* const (&... groups)[Sizes]) {
  std::array<const char*, (Sizes + ...)> all{};
  std::size_t at = 0;
  ((std::copy(std::begin(groups), std::end(groups), all.begin() + at), at += Sizes), ...);
  return all;
}

// The one list of the program's classes, in registration order.
constexpr auto kRegistration =
    Qz__Concatenate(kApplication, kModes, kMedia, kTools, kActions, kPanels, kFormats);

// Removal keeps the groups in registration order; only the first group
// starts with the image classes.
constexpr auto Qz__MakeRemoval() {
  auto out = kRegistration;
  out[0] = "Image";
  out[1] = "ImageView";
  out[2] = "QuillantrixPrefs";
  return out;
}
constexpr auto kRemoval = Qz__MakeRemoval();

// Every class exports its Init and Cleanup under its name, in the one shape
// of the class kit.
void* Qz__LookUp(const std::string& symbol) { return dlsym(RTLD_DEFAULT, symbol.c_str()); }

const qz::app::ClassCalls& Qz__Effective(const qz::app::ClassCalls& calls, qz::app::ClassCalls& fallback) {
  if (calls.init && calls.cleanup) return calls;
  fallback = qz::app::defaultClassCalls();
  if (calls.init) fallback.init = calls.init;
  if (calls.cleanup) fallback.cleanup = calls.cleanup;
  return fallback;
}

}  // namespace

namespace qz::app {

std::span<const char* const> centralClassNames() { return kRegistration; }
std::span<const char* const> centralRemovalNames() { return kRemoval; }

std::span<const char* const> classGroup(ClassGroup group) {
  switch (group) {
    case ClassGroup::Application: return kApplication;
    case ClassGroup::Modes: return kModes;
    case ClassGroup::Media: return kMedia;
    case ClassGroup::Tools: return kTools;
    case ClassGroup::Actions: return kActions;
    case ClassGroup::Panels: return kPanels;
    case ClassGroup::Formats: return kFormats;
  }
  return {};
}

ClassCalls defaultClassCalls() {
  ClassCalls calls;
  // The answer of Init is not needed: the class list says whether the class is there.
  calls.init = [](const char* name, Qz_GlobalData* global) {
    if (void* fn = Qz__LookUp(std::string("Qz_Init") + name + "Class"))
      reinterpret_cast<Qz_ClassInitFunction>(fn)(global);
  };
  calls.cleanup = [](const char* name) {
    if (void* fn = Qz__LookUp(std::string("Qz_Cleanup") + name + "Class"))
      reinterpret_cast<Qz_ClassCleanupFunction>(fn)();
  };
  return calls;
}

std::size_t initClasses(std::span<const char* const> names, Qz_GlobalData* global, const ClassCalls& calls) {
  ClassCalls fallback;
  const ClassCalls& use = Qz__Effective(calls, fallback);
  std::size_t known = 0;
  for (const char* name : names) {
    use.init(name, global);
    if (Qz_FindClassFromName(name)) ++known;
  }
  return known;
}

void cleanupClasses(std::span<const char* const> names, const ClassCalls& calls) {
  ClassCalls fallback;
  const ClassCalls& use = Qz__Effective(calls, fallback);
  for (const char* name : names) use.cleanup(name);
}

}  // namespace qz::app

QZ_EXTERN_C_BEGIN

QZ_EXPORT QzWord QzInitAllClasses(Qz_GlobalData* global) {
  qz::app::initClasses(kRegistration, global);
  return Qz_FindClassFromName(kRegistration.back()) ? 1 : 0;
}

QZ_EXPORT void QzCleanupAllClasses(Qz_GlobalData*) { qz::app::cleanupClasses(kRemoval); }

QZ_EXTERN_C_END
