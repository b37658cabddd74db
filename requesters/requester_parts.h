// Pieces the small requesters share: labelled rows, measurement and number
// fields, radio columns, the fill choice, and showing a tree over the screen.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "objects/qz_object.h"

namespace qz::requesters {

// Catalogue string n, or "" when the catalogue has none.
const char* text(uint32_t n);

// A row in column: the label, then the field (added to the row); the field.
Qz_Object* labelledRow(Qz_Object* column, const char* label, Qz_Object* field);

// A length or resolution field keeping its value in internalUnit (pixels or
// dots per inch) and showing it in the user's unit.
Qz_Object* measurementField(int32_t internalUnit, float value, float resolution);
float measurementValue(Qz_Object* field);

// The chooser of the unit every length field shows, showing `shown`: the unit
// the requester's fields start in. Make it before those fields (and add it to
// the column where it belongs), so that what it shows changes no field.
Qz_Object* unitChooser(int32_t shown);

// A whole-number text field.
Qz_Object* numberField(int32_t value);
int32_t numberValue(Qz_Object* field);

// A column of radio entries with one marked.
Qz_Object* radioColumn(std::initializer_list<const char*> labels, uint32_t marked);

// The fill choices: none, white, the current colour.
Qz_Object* fillChoice(uint32_t marked);
// The colour of a fill choice, red in the low byte (0 for none).
uint32_t fillColour(uint32_t choice);

// Shows content with OK and Cancel over the screen; 1 for OK. The content
// stays the caller's. A width of 0 leaves the window its default.
QzWord showOverScreen(const char* title, Qz_Object* content, int32_t width);

}  // namespace qz::requesters
