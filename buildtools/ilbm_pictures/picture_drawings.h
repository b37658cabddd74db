// The drawing of each interface picture; the picture table names them.
#pragma once

#include "picture_canvas.h"

namespace qz::pictures {

// Tool-bar buttons and action pictures, 24 x 24 (toolbar_pictures.cpp).
void drawNew(PictureCanvas& c);
void drawOpen(PictureCanvas& c);
void drawSave(PictureCanvas& c);
void drawFillLayer(PictureCanvas& c);
void drawClearLayer(PictureCanvas& c);
void drawFix(PictureCanvas& c);
void drawAutoRedo(PictureCanvas& c);
void drawUndo(PictureCanvas& c);
void drawRedo(PictureCanvas& c);
void drawMagnify(PictureCanvas& c);
void drawMagnifyIn(PictureCanvas& c);
void drawMagnifyOut(PictureCanvas& c);
void drawButton(PictureCanvas& c);
void drawColour(PictureCanvas& c);
void drawFillImage(PictureCanvas& c);
void drawFloodFill(PictureCanvas& c);
void drawImage(PictureCanvas& c);
void drawInvertImage(PictureCanvas& c);
void drawMediaSettings(PictureCanvas& c);
void drawMode(PictureCanvas& c);
void drawShear(PictureCanvas& c);

// Painting tools, 24 x 24 (tool_pictures.cpp).
void drawDrawMain(PictureCanvas& c);
void drawDrawNormal(PictureCanvas& c);
void drawDrawFilled(PictureCanvas& c);
void drawLine(PictureCanvas& c);
void drawCurve(PictureCanvas& c);
void drawPolygonMain(PictureCanvas& c);
void drawPolygonUnfilled(PictureCanvas& c);
void drawPolygonFilled(PictureCanvas& c);
void drawRectangleMain(PictureCanvas& c);
void drawRectangleOutlined(PictureCanvas& c);
void drawRectangleSolid(PictureCanvas& c);
void drawEllipseMain(PictureCanvas& c);
void drawEllipseUnfilled(PictureCanvas& c);
void drawEllipseFilled(PictureCanvas& c);
void drawSymmetry(PictureCanvas& c);
void drawText(PictureCanvas& c);
void drawFill(PictureCanvas& c);
void drawColourPicker(PictureCanvas& c);
void drawClone(PictureCanvas& c);
void drawPosition(PictureCanvas& c);
void drawPositionAction(PictureCanvas& c);
void drawCrop(PictureCanvas& c);
void drawTransform(PictureCanvas& c);

// Panel tabs, 16 x 16, and the other small pictures (tab_pictures.cpp).
void drawTabModeOptions(PictureCanvas& c);
void drawTabToolOptions(PictureCanvas& c);
void drawTabMedia(PictureCanvas& c);
void drawTabTransparency(PictureCanvas& c);
void drawTabColour(PictureCanvas& c);
void drawTabVignette(PictureCanvas& c);
void drawTabQzio(PictureCanvas& c);
void drawTabImageControl(PictureCanvas& c);
void drawFolderContracted(PictureCanvas& c);
void drawDidYouKnow(PictureCanvas& c);

// The media pop-up's pictures (media_pictures.cpp).
void drawMediaAirBrush(PictureCanvas& c);
void drawMediaPencil(PictureCanvas& c);
void drawMediaPicture(PictureCanvas& c);
void drawMediaSmear(PictureCanvas& c);
void drawMediaSoft(PictureCanvas& c);

// The start-up picture with the program's name (splash_picture.cpp).
void drawSplash(PictureCanvas& c);

}  // namespace qz::pictures
