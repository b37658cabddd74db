#include "app/decrypt_command.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/startup.h"
#include "image/file_encryption.h"
#include "platform/atomic_file_writer.h"

namespace qz::app {

int runDecrypt(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    std::fprintf(stderr, "Quillantrix: cannot decrypt %s: %s\n", path.c_str(), std::strerror(errno));
    return kExitFailure;
  }
  if (!S_ISREG(st.st_mode)) {
    std::fprintf(stderr, "Quillantrix: cannot decrypt %s: it is not a file\n", path.c_str());
    return kExitFailure;
  }
  // The backup sits beside the file a link points at, which is the one replaced.
  char* resolved = realpath(path.c_str(), nullptr);
  const std::string target = resolved ? resolved : path;
  std::free(resolved);
  if (!Qz_DecryptFile(path.c_str())) {
    std::fprintf(stderr, "Quillantrix: cannot decrypt %s: it cannot be read or replaced\n", path.c_str());
    return kExitFailure;
  }
  if (static_cast<unsigned long long>(st.st_size) <= kQzCipherPlainTail)
    std::fprintf(stderr, "Quillantrix: %s has %u bytes or fewer and is never enciphered; it is left as it was\n",
                 path.c_str(), kQzCipherPlainTail);
  else
    std::fprintf(stderr, "Quillantrix: deciphered %s in place; its previous content is kept in %s\n",
                 target.c_str(), backupFileName(target).c_str());
  return kExitOk;
}

}  // namespace qz::app
