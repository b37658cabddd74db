// The main window: the application object, its screen, the tool bar window
// and the panels, built from whatever of those classes this build holds.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/qz_export.h"

struct Qz_Object;
struct Qz_ImageBase;
struct Window;

namespace qz::app {

struct MainWindowResult {
  Qz_Object* app = nullptr;   // null when the App class is missing or could not be made
  bool screenOpened = false;  // the platform screen was opened here
  bool noDisplay = false;     // the window layer found no display to open
};

using BoxFn = std::function<void(const char* title, const char* text, uint32_t kind)>;

// The tool bar's width rules for a screen of that width.
struct ToolBarLayout {
  bool hideGadgetRow;  // the screen is too narrow for the row of tools
  int32_t extraSpace;  // width of a filler at the end of the undo panel; 0 for none
};
QZ_EXPORT ToolBarLayout toolBarLayout(int32_t screenWidth);
// True when the display shows too few colours for images to look right.
QZ_EXPORT bool displayTooShallow(uint32_t bitsPerPixel);
QZ_EXPORT extern const char* const kDepthWarning;

QZ_EXPORT MainWindowResult buildMainWindow(Qz_ImageBase& base, const BoxFn& box);
// Queues the opening of a document on the application image.
QZ_EXPORT bool openDocumentLater(const std::string& absolutePath);
// Closes the windows before the documents go; disposes the tree afterwards.
QZ_EXPORT void closeMainWindow(Qz_ImageBase& base);
QZ_EXPORT void disposeMainWindow(Qz_ImageBase& base, Qz_Object* app);

// The command-line document waits for the image control panel's first draw
// when there is such a panel; taking it empties it.
QZ_EXPORT void setPendingDocument(const std::string& absolutePath);
QZ_EXPORT std::string takePendingDocument();
// The image control panel says it exists (or is gone).
QZ_EXPORT void registerImageControlPanel(bool present);
QZ_EXPORT bool imageControlPanelPresent();
// True on the first call after the main window was built: the panel's first draw.
QZ_EXPORT bool firstPanelDraw();
// Registers MenuFunc once on the screen's menu notification.
QZ_EXPORT void registerScreenMenuFunc();

// True when a main Window object exists whose platform window can be asked for.
QZ_EXPORT bool hasMainWindow();
// Window-layer hooks that need the main window.
QZ_EXPORT Window* mainPlatformWindow();
Window* mainWindowOwnerWindow(void* owner);

}  // namespace qz::app
