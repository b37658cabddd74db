// Virtual-key codes: letters and digits are their upper-case ASCII codes,
// the rest follow the usual numbering of the other platform's key codes.
#include "host/x11/x11_keys.h"

#include <X11/keysym.h>

#include <algorithm>
#include <iterator>

namespace qz::x11 {
namespace {

struct KeyRow {
  unsigned long keysym;
  uint16_t vk;
  char32_t character;
};

constexpr KeyRow kKeys[] = {
    {XK_BackSpace, 0x08, 8},     {XK_Tab, 0x09, 9},           {XK_ISO_Left_Tab, 0x09, 9},
    {XK_Return, 0x0D, 13},       {XK_KP_Enter, 0x0D, 13},     {XK_Shift_L, 0x10, 0},
    {XK_Shift_R, 0x10, 0},       {XK_Control_L, 0x11, 0},     {XK_Control_R, 0x11, 0},
    {XK_Alt_L, 0x12, 0},         {XK_Alt_R, 0x12, 0},         {XK_Meta_L, 0x12, 0},
    {XK_Pause, 0x13, 0},         {XK_Caps_Lock, 0x14, 0},     {XK_Escape, 0x1B, 27},
    {XK_space, 0x20, ' '},       {XK_Prior, 0x21, 0},         {XK_Next, 0x22, 0},
    {XK_End, 0x23, 0},           {XK_Home, 0x24, 0},          {XK_Left, 0x25, 0},
    {XK_Up, 0x26, 0},            {XK_Right, 0x27, 0},         {XK_Down, 0x28, 0},
    {XK_Print, 0x2C, 0},         {XK_Insert, 0x2D, 0},        {XK_Delete, 0x2E, 0},
    {XK_KP_Home, 0x24, 0},       {XK_KP_End, 0x23, 0},        {XK_KP_Left, 0x25, 0},
    {XK_KP_Up, 0x26, 0},         {XK_KP_Right, 0x27, 0},      {XK_KP_Down, 0x28, 0},
    {XK_KP_Prior, 0x21, 0},      {XK_KP_Next, 0x22, 0},       {XK_KP_Insert, 0x2D, 0},
    {XK_KP_Delete, 0x2E, 0},     {XK_KP_Multiply, 0x6A, '*'}, {XK_KP_Add, 0x6B, '+'},
    {XK_KP_Subtract, 0x6D, '-'}, {XK_KP_Decimal, 0x6E, '.'},  {XK_KP_Divide, 0x6F, '/'},
    {XK_Num_Lock, 0x90, 0},      {XK_Scroll_Lock, 0x91, 0},   {XK_semicolon, 0xBA, ';'},
    {XK_colon, 0xBA, ':'},       {XK_equal, 0xBB, '='},       {XK_plus, 0xBB, '+'},
    {XK_comma, 0xBC, ','},       {XK_less, 0xBC, '<'},        {XK_minus, 0xBD, '-'},
    {XK_underscore, 0xBD, '_'},  {XK_period, 0xBE, '.'},      {XK_greater, 0xBE, '>'},
    {XK_slash, 0xBF, '/'},       {XK_question, 0xBF, '?'},    {XK_grave, 0xC0, '`'},
    {XK_asciitilde, 0xC0, '~'},  {XK_bracketleft, 0xDB, '['}, {XK_braceleft, 0xDB, '{'},
    {XK_backslash, 0xDC, '\\'},  {XK_bar, 0xDC, '|'},         {XK_bracketright, 0xDD, ']'},
    {XK_braceright, 0xDD, '}'},  {XK_apostrophe, 0xDE, '\''}, {XK_quotedbl, 0xDE, '"'},
};

const KeyRow* findRow(unsigned long keysym) {
  auto it = std::find_if(std::begin(kKeys), std::end(kKeys), [&](const KeyRow& r) { return r.keysym == keysym; });
  return it == std::end(kKeys) ? nullptr : it;
}

}  // namespace

uint16_t virtualKeyForKeysym(unsigned long keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return static_cast<uint16_t>(keysym - XK_a + 'A');
  if (keysym >= XK_A && keysym <= XK_Z) return static_cast<uint16_t>(keysym);
  if (keysym >= XK_0 && keysym <= XK_9) return static_cast<uint16_t>(keysym);
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<uint16_t>(0x60 + keysym - XK_KP_0);
  if (keysym >= XK_F1 && keysym <= XK_F24) return static_cast<uint16_t>(0x70 + keysym - XK_F1);
  const KeyRow* row = findRow(keysym);
  return row ? row->vk : 0;
}

char32_t characterForKeysym(unsigned long keysym) {
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<char32_t>('0' + keysym - XK_KP_0);
  if (const KeyRow* row = findRow(keysym)) return row->character;
  // Latin-1 key symbols are their own code points; Unicode ones carry it below 0x01000000.
  if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF)) return static_cast<char32_t>(keysym);
  if ((keysym & 0xFF000000u) == 0x01000000u) return static_cast<char32_t>(keysym & 0x00FFFFFFu);
  return 0;
}

}  // namespace qz::x11
