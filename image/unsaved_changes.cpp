// The edit count of documents against the count when they were last loaded
// or saved, and the questions that keep a picture with unsaved changes from
// being closed or dropped unasked.
#include "image/unsaved_changes.h"

#include <cstring>

#include "image/image_internal.h"
#include "objects/qz_object.h"

namespace qz {
namespace {

constexpr uint32_t kOkCancel = 2;

std::string question(const std::string& name, const char* doing) {
  return "\"" + name + "\" has changes that are not saved.\n" + doing + " and lose them?";
}

}  // namespace

bool askInMessageBox(const char* text) { return Qz_MessageBoxA("Quillantrix", text, kOkCancel, nullptr) == 1; }

std::string documentDisplayName(const Qz_Image* document) {
  const char* name = document ? document->name : nullptr;
  if (!name || !*name) return "Untitled";
  const char* slash = std::strrchr(name, '/');
  return slash && slash[1] ? slash + 1 : name;
}

bool askBeforeClosing(Qz_Image* document, bool askAnyway, const char* preferenceQuestion, const AskUser& ask) {
  if (document && Qz_ImageHasUnsavedChanges(document)) return ask(question(documentDisplayName(document), "Close it").c_str());
  return !askAnyway || ask(preferenceQuestion ? preferenceQuestion : "");
}

std::vector<std::string> unsavedDocumentNames(Qz_ImageBase* base) {
  std::vector<std::string> out;
  if (!base) return out;
  ObtainSemaphore(&base->semaphore);
  for (Node* n = base->documents.lh_Head; n && n->ln_Succ; n = n->ln_Succ) {
    Qz_Image* image = reinterpret_cast<Qz_ImageNode*>(n)->image;
    if (image && image != base->applicationImage && Qz_ImageHasUnsavedChanges(image))
      out.push_back(documentDisplayName(image));
  }
  ReleaseSemaphore(&base->semaphore);
  return out;
}

bool askBeforeDroppingUnsaved(Qz_ImageBase* base, const char* doing, bool* none, const AskUser& ask) {
  // Names, not documents: one may go while a question waits.
  const std::vector<std::string> unsaved = unsavedDocumentNames(base);
  if (none) *none = unsaved.empty();
  if (unsaved.empty()) return false;
  for (const std::string& name : unsaved)
    if (!ask(question(name, doing).c_str())) return false;
  return true;
}

}  // namespace qz

QZ_EXTERN_C_BEGIN

QZ_EXPORT void Qz_NoteImageEdit(Qz_Image* image) {
  if (Qz_Image* document = qz::topDocument(image)) document->editSteps.fetch_add(1, std::memory_order_acq_rel);
}

QZ_EXPORT void Qz_MarkImageSaved(Qz_Image* document) {
  if (document) document->savedEditSteps.store(document->editSteps.load(std::memory_order_acquire), std::memory_order_release);
}

QZ_EXPORT int32_t Qz_ImageHasUnsavedChanges(Qz_Image* document) {
  if (!document) return 0;
  return document->editSteps.load(std::memory_order_acquire) != document->savedEditSteps.load(std::memory_order_acquire);
}

QZ_EXTERN_C_END
