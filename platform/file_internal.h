// Helpers shared by the platform's file calls; not part of the interface.
#pragma once

#include <sys/types.h>

#include <string>

namespace qz::detail {

// Copies the bytes (and permission bits) of the regular file src into dst,
// which is created or truncated. False on any failure.
bool copyFileContents(const std::string& src, const std::string& dst);

// The process's file-creation mask, read without changing it.
mode_t currentUmask();

// Before a file in the state root's Data/Prefs or ImageDatabase is written,
// its folders are made: a fresh state root has neither yet. Paths elsewhere
// are left alone.
void makeStateFolders(const std::string& normalisedPath);

}  // namespace qz::detail
