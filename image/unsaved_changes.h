// Whether a document holds changes its file lacks, and the questions asked
// before such a document is closed or dropped on quitting.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "image/qz_image.h"

QZ_EXTERN_C_BEGIN
// A step was added to, undone or redone on the document's list, or its layer
// list changed; a layer counts for its document.
QZ_EXPORT void Qz_NoteImageEdit(Qz_Image* image);
// The document is as its file holds it now (just loaded or saved).
QZ_EXPORT void Qz_MarkImageSaved(Qz_Image* document);
// 1 while the document has changes since it was last loaded or saved.
QZ_EXPORT int32_t Qz_ImageHasUnsavedChanges(Qz_Image* document);
QZ_EXTERN_C_END

namespace qz {

// The name a question shows for the document: its file's name, or "Untitled".
std::string documentDisplayName(const Qz_Image* document);

// Puts a question and tells whether it was answered OK; the default is an
// OK / Cancel message box.
using AskUser = std::function<bool(const char* text)>;
bool askInMessageBox(const char* text);

// Asks before the document is closed; true to close it. A document with
// unsaved changes is always asked about, by name; any other only when
// askAnyway (the "ask before closing" preference), with that question.
bool askBeforeClosing(Qz_Image* document, bool askAnyway, const char* question, const AskUser& ask = askInMessageBox);

// The names of the open documents with unsaved changes, in list order.
std::vector<std::string> unsavedDocumentNames(Qz_ImageBase* base);

// Asks about each document with unsaved changes, by name, before all are
// dropped ("Quit and lose them?" for doing "Quit"); true when the user lets
// every one go (Cancel on any keeps them all). False with nothing asked when
// there are none, and `none` is set then.
bool askBeforeDroppingUnsaved(Qz_ImageBase* base, const char* doing, bool* none,
                              const AskUser& ask = askInMessageBox);

}  // namespace qz
