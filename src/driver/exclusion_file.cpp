#include "driver/exclusion_file.h"

#include "platform/text_input.h"

namespace quenwick {

bool readExclusionFile(const std::string& path, NameLists& lists) {
  TextInput file;
  if (!file.open(path)) return false;
  std::string token;
  while (file.readToken(token)) {
    if (!token.empty() && token.back() == '/') {
      token.pop_back();
      lists.leafList.appendName(token);
    } else {
      lists.excludeList.appendName(token);
    }
  }
  return true;
}

}  // namespace quenwick
