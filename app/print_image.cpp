#include "app/print_image.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "app/print_destinations.h"
#include "app/print_page.h"
#include "gadgets/qz_choice.h"
#include "gadgets/qz_group.h"
#include "gadgets/qz_sliders.h"
#include "gadgets/qz_text_entry.h"
#include "image/qz_image.h"
#include "objects/qz_object.h"
#include "objects/requester.h"
#include "platform/atomic_file_writer.h"
#include "platform/filesystem.h"
#include "requesters/qz_page_setup.h"

namespace qz::print {
namespace {

constexpr const char* kToFile = "Print to file";
constexpr int32_t kMostCopies = 99;

std::mutex gRequestMutex;
PrintRequest gPrintRequest;

void tellFailure(const std::string& why) { Qz_MessageBoxA("Print", ("Nothing was printed.\n" + why).c_str(), 1, nullptr); }

float floatOf(QzWord word) {
  const uint32_t bits = uint32_t(word);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// The image base keeps one page set-up for every print.
Qz_Object* pageSetup() {
  Qz_ImageBase* base = Qz_GetImageBase();
  ObtainSemaphore(&base->semaphore);
  if (base->pageSetup == nullptr) base->pageSetup = Qz_CreateObject("PageSetup");
  Qz_Object* setup = base->pageSetup;
  ReleaseSemaphore(&base->semaphore);
  return setup;
}

std::string defaultFileFor(Qz_Image* image) {
  const char* home = std::getenv("HOME");
  std::string name = image->name != nullptr ? image->name : "Quillantrix";
  const size_t slash = name.find_last_of('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return std::string(home != nullptr ? home : ".") + "/" + name + ".ps";
}

// The printer choice is a Cycle, which the toolkit does not register itself.
bool haveCycleClass() {
  static std::mutex registering;
  std::lock_guard lock(registering);
  return Qz_FindClassFromName("Cycle") != nullptr || Qz_InitCycleClass(Qz_GetGlobalData()) != 0;
}

// The print requester: a destination, the copies and, for a file, its path.
bool askWithRequester(PrintChoice& choice) {
  if (!haveCycleClass()) {
    tellFailure("The print requester cannot be made.");
    return false;
  }
  std::vector<std::string> names = printerNames();
  names.insert(names.begin(), kToFile);
  std::vector<const char*> labels;
  for (const std::string& n : names) labels.push_back(n.c_str());
  labels.push_back(nullptr);
  Qz_Object* destination = nullptr;
  Qz_Object* copies = nullptr;
  Qz_Object* file = nullptr;
  Qz_Object* content = Qz_CreateObjects(0, kBuildVGroup,
                                        kBuildPlainLabel, "Printer",
                                        kBuildObject, "Cycle", kBuildStoreLast, &destination, kBuildClose,
                                        kBuildPlainLabel, "Copies",
                                        kBuildObject, "Slider", kBuildStoreLast, &copies, kBuildClose,
                                        kBuildPlainLabel, "File",
                                        kBuildObject, "StringEdit", kBuildStoreLast, &file, kBuildClose,
                                        kBuildClose, kBuildEnd);
  if (content == nullptr || destination == nullptr || copies == nullptr || file == nullptr) {
    Qz_DisposeObject(content);
    tellFailure("The print requester cannot be made.");
    return false;
  }
  Qz_DoMethod(destination, kCycleSetStrings, labels.data());
  // A printer, when there is one, is the likelier wish.
  Qz_DoMethod(destination, kCycleChoose, names.size() > 1 ? 1 : 0);
  Qz_DoMethod(copies, kValueSetMinimum, 1);
  Qz_DoMethod(copies, kValueSetMaximum, uint32_t(kMostCopies));
  Qz_DoMethod(copies, kValueSetFormat, "%ld");
  Qz_DoMethod(copies, kValueSet, uint32_t(choice.copies));
  Qz_DoMethod(file, kStringEditSetMaxLength, 4095);
  Qz_DoMethod(file, kStringEditSetText, choice.file.c_str());
  const bool ok = Qz_ShowRequester("Print", content, 0, nullptr, 0, kRequesterTagDefaultWidth, 360,
                                   kRequesterTagDefaultHeight, 160) == 1;
  if (ok) {
    const QzWord chosen = Qz_DoMethod(destination, kCycleGetChosen);
    choice.printer = chosen > 0 && chosen < names.size() ? names[chosen] : "";
    choice.copies = int32_t(Qz_DoMethod(copies, kValueGet));
    choice.file = reinterpret_cast<const char*>(Qz_DoMethod(file, kStringEditGetText));
  }
  Qz_DisposeObject(content);
  return ok && (!choice.printer.empty() || !choice.file.empty());
}

bool askPrintChoice(PrintChoice& choice) {
  PrintRequest request;
  {
    std::lock_guard lock(gRequestMutex);
    request = gPrintRequest;
  }
  return request ? request(choice) : askWithRequester(choice);
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  AtomicFileWriter file(path);
  return file.ok() && std::fwrite(bytes.data(), 1, bytes.size(), file.stream()) == bytes.size() && file.commit();
}

// Writes the page to the file or hands it to the printer; why not, when it could not.
std::string deliver(const std::vector<uint8_t>& page, const PrintChoice& choice, const std::string& title) {
  if (choice.printer.empty()) {
    errno = 0;
    if (writeFile(choice.file, page)) return {};
    const int error = errno;
    return "The file \"" + choice.file + "\" cannot be written" + (error ? std::string(": ") + std::strerror(error) : "") + ".";
  }
  char spool[QZ_TEMP_NAME_SIZE] = {};
  if (Qz_GetTempFileName(spool) != 1 || !writeFile(spool, page))
    return "The page cannot be written to a temporary file.";
  const bool sent = sendToPrinter(spool, choice.printer, choice.copies, title);
  Qz_DeleteFile(spool);
  if (sent) return {};
  return "The printer \"" + choice.printer + "\" did not take the page (lp failed or is not installed).";
}

}  // namespace

void setPrintRequest(PrintRequest request) {
  std::lock_guard lock(gRequestMutex);
  gPrintRequest = std::move(request);
}

}  // namespace qz::print

extern "C" {

QZ_EXPORT QzWord Qz_ShowPageSetupReq(Qz_Image* image) {
  Qz_Object* setup = qz::print::pageSetup();
  if (setup == nullptr) return 0;
  Qz_DoMethod(setup, kPageSetupSetImage, image);
  return Qz_DoMethod(setup, kPageSetupRun);
}

QZ_EXPORT int32_t Qz_PrintImage(Qz_Image* image) {
  using namespace qz::print;
  if (image == nullptr) return 0;
  PrintChoice choice;
  choice.file = defaultFileFor(image);
  if (!askPrintChoice(choice)) return 0;
  Qz_Object* setup = pageSetup();
  if (setup == nullptr || !Qz_LockImageA(image, kQzLockExclusive, nullptr)) {
    tellFailure(setup == nullptr ? "The page set-up cannot be made." : "The picture is closing.");
    return 0;
  }
  // A page set-up made for another picture is measured for this one first.
  if (Qz_DoMethod(setup, kPageSetupGetImage) != reinterpret_cast<QzWord>(image))
    Qz_DoMethod(setup, kPageSetupSetImage, image);
  const PageMillimetres page{floatOf(Qz_DoMethod(setup, kPageSetupGetLeft)), floatOf(Qz_DoMethod(setup, kPageSetupGetTop)),
                             floatOf(Qz_DoMethod(setup, kPageSetupGetPrintWidth)),
                             floatOf(Qz_DoMethod(setup, kPageSetupGetPrintHeight))};
  // Our printers have no unprintable border: PostScript places on the whole sheet.
  const Device device;
  std::vector<uint8_t> postScript;
  const std::string title = image->name != nullptr ? image->name : "Quillantrix";
  std::string failure;
  if (!pagePostScript(image, deviceRect(page, device), device, title, postScript))
    failure = "The page cannot be made: the picture does not fit on it, or memory ran out.";
  else
    failure = deliver(postScript, choice, title);
  Qz_UnlockImageA(image, kQzLockExclusive, nullptr);
  if (!failure.empty()) tellFailure(failure);
  return failure.empty() ? 1 : 0;
}

}  // extern "C"
