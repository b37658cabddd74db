// Hand-over between processes: a second start hands its file to the running
// instance, and the scanner program hands over a scan. The running instance
// listens on a Unix-domain socket named after its state root,
// $XDG_RUNTIME_DIR/quillantrix-<hash>, else inside a 0700 folder under the
// state root. A connection carries one record: tag (u32le), length (u32le),
// then the bytes; the listener checks the peer's uid and the sizes, answers
// one byte 1 once it has taken the data, and hands it to the window layer as
// the main window would (0x13003C: a path to open; 0x54574149: a scan block).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/qz_export.h"

inline constexpr uint32_t kHandoverOpenFile = 0x13003C;
inline constexpr uint32_t kHandoverScanner = 0x54574149;  // "TWAI"

QZ_EXTERN_C_BEGIN

// Start-up with a path: 1 when a running instance for this state root took
// it (the caller then ends with code 0), 0 when none runs.
QZ_EXPORT int32_t Qz_HandoverToRunningInstance(const char* stateRoot, const char* absolutePath);
// Becomes the listening instance; 1 on success, 0 when another instance
// listens or the socket cannot be made (the program then runs without it).
QZ_EXPORT int32_t Qz_HandoverListen(const char* stateRoot);
QZ_EXPORT void Qz_HandoverStop(void);

QZ_EXTERN_C_END

namespace qz::handover {

// Largest record bodies accepted: a path, and a scan.
inline constexpr std::size_t kMaxPathBytes = 4096;
inline constexpr std::size_t kMaxScanBytes = std::size_t{256} << 20;

// "" when no usable path fits a socket address (the reason goes to stderr).
QZ_EXPORT std::string socketPath(const std::string& stateRoot);

// Sends one record; true when the listener confirmed it took it.
QZ_EXPORT bool send(const std::string& stateRoot, uint32_t tag, const void* bytes, std::size_t length,
                    int timeoutMilliseconds = 5000);

// Receives records on a thread of its own; each accepted record goes to
// the handler (by default the window layer's copy-data entry).
using Handler = std::function<void(uint32_t tag, const uint8_t* bytes, std::size_t length)>;
QZ_EXPORT bool startListening(const std::string& stateRoot, Handler handler = {});
QZ_EXPORT void stopListening();

}  // namespace qz::handover
