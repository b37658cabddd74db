#include "picture_table.h"

#include "picture_drawings.h"
#include "picture_palettes.h"

namespace qz::pictures {

namespace {

constexpr int kToolBar = 24;  // tool-bar buttons and action pictures
constexpr int kTab = 16;      // panel tabs and list pictures
constexpr int kMedia = 48;    // the media pop-up's face and list

}  // namespace

std::span<const PictureSpec> pictureTable() {
  const std::span<const uint8_t> icons = iconPalette();
  static const PictureSpec kTable[] = {
      // Tool bar and panel buttons.
      {"ToolBar/New", kToolBar, kToolBar, icons, drawNew},
      {"ToolBar/Open", kToolBar, kToolBar, icons, drawOpen},
      {"ToolBar/Save", kToolBar, kToolBar, icons, drawSave},
      {"ToolBar/FillLayer", kToolBar, kToolBar, icons, drawFillLayer},
      {"ToolBar/ClearLayer", kToolBar, kToolBar, icons, drawClearLayer},
      {"ToolBar/Fix", kToolBar, kToolBar, icons, drawFix},
      {"ToolBar/AutoRedo", kToolBar, kToolBar, icons, drawAutoRedo},
      {"ToolBar/Undo", kToolBar, kToolBar, icons, drawUndo},
      {"ToolBar/Redo", kToolBar, kToolBar, icons, drawRedo},
      {"ToolBar/Magnify", kToolBar, kToolBar, icons, drawMagnify},
      {"ToolBar/Magnify+", kToolBar, kToolBar, icons, drawMagnifyIn},
      {"ToolBar/Magnify-", kToolBar, kToolBar, icons, drawMagnifyOut},
      // Painting tools.
      {"ToolBar/DrawMain", kToolBar, kToolBar, icons, drawDrawMain},
      {"ToolBar/DrawNormal", kToolBar, kToolBar, icons, drawDrawNormal},
      {"ToolBar/DrawFilled", kToolBar, kToolBar, icons, drawDrawFilled},
      {"ToolBar/Line", kToolBar, kToolBar, icons, drawLine},
      {"ToolBar/Curve", kToolBar, kToolBar, icons, drawCurve},
      {"ToolBar/PolygonMain", kToolBar, kToolBar, icons, drawPolygonMain},
      {"ToolBar/PolygonUnfilled", kToolBar, kToolBar, icons, drawPolygonUnfilled},
      {"ToolBar/PolygonFilled", kToolBar, kToolBar, icons, drawPolygonFilled},
      {"ToolBar/Rectangle/Main", kToolBar, kToolBar, icons, drawRectangleMain},
      {"ToolBar/Rectangle/Outlined", kToolBar, kToolBar, icons, drawRectangleOutlined},
      {"ToolBar/Rectangle/Solid", kToolBar, kToolBar, icons, drawRectangleSolid},
      {"ToolBar/EllipseMain", kToolBar, kToolBar, icons, drawEllipseMain},
      {"ToolBar/EllipseUnfilled", kToolBar, kToolBar, icons, drawEllipseUnfilled},
      {"ToolBar/EllipseFilled", kToolBar, kToolBar, icons, drawEllipseFilled},
      {"ToolBar/Symmetry", kToolBar, kToolBar, icons, drawSymmetry},
      {"ToolBar/Text", kToolBar, kToolBar, icons, drawText},
      {"ToolBar/Fill", kToolBar, kToolBar, icons, drawFill},
      {"ToolBar/ColourPicker", kToolBar, kToolBar, icons, drawColourPicker},
      {"ToolBar/Clone", kToolBar, kToolBar, icons, drawClone},
      {"ToolBar/Position", kToolBar, kToolBar, icons, drawPosition},
      {"ToolBar/PositionAction", kToolBar, kToolBar, icons, drawPositionAction},
      {"ToolBar/Crop", kToolBar, kToolBar, icons, drawCrop},
      {"ToolBar/Transform", kToolBar, kToolBar, icons, drawTransform},
      // Actions in the undo list.
      {"ToolBar/Button", kToolBar, kToolBar, icons, drawButton},
      {"ToolBar/Colour", kToolBar, kToolBar, icons, drawColour},
      {"ToolBar/FillImage", kToolBar, kToolBar, icons, drawFillImage},
      {"ToolBar/FloodFill", kToolBar, kToolBar, icons, drawFloodFill},
      {"ToolBar/Image", kToolBar, kToolBar, icons, drawImage},
      {"ToolBar/InvertImage", kToolBar, kToolBar, icons, drawInvertImage},
      {"ToolBar/MediaSettings", kToolBar, kToolBar, icons, drawMediaSettings},
      {"ToolBar/Mode", kToolBar, kToolBar, icons, drawMode},
      {"ToolBar/Shear", kToolBar, kToolBar, icons, drawShear},
      // Panel tabs.
      {"Tabs/ModeOptions", kTab, kTab, icons, drawTabModeOptions},
      {"Tabs/ToolOptions", kTab, kTab, icons, drawTabToolOptions},
      {"Tabs/Media", kTab, kTab, icons, drawTabMedia},
      {"Tabs/Transparency", kTab, kTab, icons, drawTabTransparency},
      {"Tabs/Colour", kTab, kTab, icons, drawTabColour},
      {"Tabs/Vignette", kTab, kTab, icons, drawTabVignette},
      {"Tabs/QZIO", kTab, kTab, icons, drawTabQzio},
      {"Tabs/ImageControl256", kTab, kTab, icons, drawTabImageControl},
      // The media pop-up, one per shipped preset.
      {"Media/AirBrush", kMedia, kMedia, icons, drawMediaAirBrush},
      {"Media/Pencil", kMedia, kMedia, icons, drawMediaPencil},
      {"Media/Picture", kMedia, kMedia, icons, drawMediaPicture},
      {"Media/Smear", kMedia, kMedia, icons, drawMediaSmear},
      {"Media/Soft", kMedia, kMedia, icons, drawMediaSoft},
      // Everything else.
      {"FolderContracted.iff", kTab, kTab, icons, drawFolderContracted},
      {"DidYouKnow.iff", 64, 64, icons, drawDidYouKnow},
      {"Splash.iff", 320, 120, splashPalette(), drawSplash},
  };
  return kTable;
}

PictureCanvas drawPicture(const PictureSpec& spec) {
  PictureCanvas canvas(spec.width, spec.height);
  spec.draw(canvas);
  return canvas;
}

}  // namespace qz::pictures
