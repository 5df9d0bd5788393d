#include "platform/slash_path.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace quenwick {

bool isSlashPath(const std::string& argument) {
#ifdef _WIN32
  (void)argument;
  return false;
#else
  if (argument.find('/', 1) != std::string::npos) return true;
  struct stat entry;
  return ::lstat(argument.c_str(), &entry) == 0;
#endif
}

}  // namespace quenwick
