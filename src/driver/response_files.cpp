#include "driver/response_files.h"

#include <algorithm>

namespace quenwick {

bool ResponseFiles::open(const std::string& path, TextInput& file) {
  lastUnreadable_ = false;
  if (open_.size() >= kMaxOpen) {
    stopped_.insert(open_.begin(), open_.end());
    return false;
  }
  if (!file.open(path)) {
    lastUnreadable_ = true;
    return false;
  }
  FileIdentity identity = file.identity();
  bool isOpen = std::find(open_.begin(), open_.end(), identity) != open_.end();
  if (isOpen && stopped_.count(identity) != 0) {
    file.close();
    return false;
  }
  open_.push_back(identity);
  return true;
}

}  // namespace quenwick
