// Tabs that follow the pointer: with the side-tab hover preference on,
// passing over a tab with no button held chooses it, as a click would.
// Shared by the gadgets that show a column of tabs.
#pragma once

#include "objects/qz_object.h"

struct Qz_InputEvent;

namespace qz::gadgets {

// True when the event was a hover over the tab column and chose the tab under it.
bool hoverChoosesTab(Qz_Object* tabColumn, const Qz_InputEvent* event);

// Asks the window showing the tabs to pass pointer moves on, so hovering
// goes on from tab to tab.
void reportPointerMoves(Qz_Object* gadget);

}  // namespace qz::gadgets
