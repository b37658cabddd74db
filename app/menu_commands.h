// The menu commands (ids 51 to 144): one table saying, for each id, its
// label, what it acts on and what it does, and MenuFunc, which runs a command
// for the main menu bar, the global keys and the image control panel's menus.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/qz_export.h"
#include "platform/qz_word.h"

struct Qz_Object;
struct Qz_Image;
struct Qz_ImageBase;

namespace qz::app {

// What a command acts on.
enum class MenuTarget : uint8_t {
  None,      // nothing of an image (new, open, quit, help...)
  App,       // the application image
  Chosen,    // the image the selector chose: the active image, its current layer, alpha or secondary image
  Document,  // the active image whatever the selector
  Layer,     // the active image's current layer whatever the selector
};

struct MenuCommandContext;
class MenuEffects;

struct MenuCommand {
  uint16_t id;
  uint16_t catalogue;     // label text number; 0 with a literal
  const char* literal;    // label when not from the catalogue
  const char* shortcut;   // "\tCtrl+N" and the like, or ""
  MenuTarget target;
  const char* function;   // the requester or operation it calls; greyed while the build lacks it
  bool needsImage;        // greyed with no image open
  void (*run)(MenuCommandContext& c);
  const char* does;       // what is sent, for readers of the table
};

// Every command id that does something, in id order.
QZ_EXPORT std::span<const MenuCommand> menuCommands();
QZ_EXPORT const MenuCommand* findMenuCommand(uint16_t id);
// The label with its shortcut suffix.
QZ_EXPORT std::string menuLabel(const MenuCommand& command);
// The label alone, a text that lives as long as the catalogue (gadgets keep the pointer).
QZ_EXPORT const char* menuText(const MenuCommand& command);
// False when the build lacks what the command calls (its item stays greyed).
QZ_EXPORT bool menuCommandAvailable(uint16_t id);

// Where a command's effects go: the program's objects, or a test's record.
class MenuEffects {
 public:
  virtual ~MenuEffects() = default;
  virtual QzWord send(Qz_Object* target, uint32_t method, const std::vector<QzWord>& args) = 0;
  // Queued on the object's own thread (files are opened and saved there).
  virtual void post(Qz_Object* target, uint32_t method, const std::vector<QzWord>& args) = 0;
  // A requester or operation by its function name, with the image it works on.
  virtual QzWord call(const char* function, Qz_Image* image, const std::vector<QzWord>& args) = 0;
  // OK (true) or Cancel to a question.
  virtual bool confirm(const char* text) = 0;
  // Opens a page of the shipped help (a file under the data root, "#anchor" allowed).
  virtual void showHelp(const std::string& page) = 0;
  // Disposes an image once no lock of ours is held.
  virtual void dispose(Qz_Image* image) = 0;
};

// The real effects: methods, asynchronous methods, requesters found by name,
// message boxes, xdg-open.
QZ_EXPORT MenuEffects& programMenuEffects();

// What a running command sees. The active image stays locked (mode 1) until
// releaseLock(), which commands call before they dispose an image, open a
// file or start a requester.
struct MenuCommandContext {
  Qz_ImageBase* base = nullptr;
  Qz_Image* document = nullptr;  // the active image
  Qz_Image* layer = nullptr;     // its current layer
  Qz_Image* chosen = nullptr;    // the selector's choice
  Qz_Image* app = nullptr;       // the application image
  MenuEffects* effects = nullptr;
  bool locked = false;
  void releaseLock();
};

// Selectors: which image the command's Chosen target is.
enum MenuSelector : uint32_t { kSelectImage = 1, kSelectLayer = 2, kSelectAlpha = 3, kSelectSecondary = 4 };

// Runs command id for the selector with the given effects. Locks the active
// image in mode 1 while it works and releases it on every path.
QZ_EXPORT void runMenuCommand(uint16_t id, uint32_t selector, MenuEffects& effects);

// The screen's menu notification and the panel's menus call this: userData
// is the selector (1 to 4); with notification 0x4601CC the command id is
// the first word, else the sending menu item's id.
QZ_EXPORT void MenuFunc(QzWord userData, Qz_Object* sender, uint32_t notification, const QzWord* words);

// Images made by the menu (alpha and secondary images it created), which its
// close commands may dispose; any other attached image is only detached.
QZ_EXPORT bool madeByMenu(Qz_Image* image);

// Answers 1 when the scanner program's window was found and the message
// posted; there is no scanner program here, so always 0.
QZ_EXPORT uint32_t Qz__SendScannerRequest(uint32_t message, QzWord wParam, QzWord lParam);

}  // namespace qz::app
