// Open documents for tests that load pictures as documents of the image base.
#pragma once

namespace qztest {

// Disposes every document still on the image base's list, newest first.
void disposeAllDocuments();

}  // namespace qztest
