// Where printed pages go: the CUPS destinations, listed by lpstat and fed
// by lp, both started without a shell.
#pragma once

#include <string>
#include <vector>

#include "platform/qz_export.h"

namespace qz::print {

// The destination names lpstat lists; empty when there are none or no CUPS client.
QZ_EXPORT std::vector<std::string> printerNames();

// Hands the PostScript file to lp for the printer; true when lp accepted it.
QZ_EXPORT bool sendToPrinter(const std::string& postScriptFile, const std::string& printer, int copies,
                             const std::string& title);

}  // namespace qz::print
