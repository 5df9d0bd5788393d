// Options and response files: how each argument is handled.
#include "config/texts.h"
#include "driver/exclusion_file.h"
#include "driver/program.h"
#include "platform/ascii.h"
#include "platform/byte_class.h"
#include "platform/directory.h"
#include "platform/slash_path.h"
#include "platform/text_input.h"

namespace quenwick {

void Program::processArgument(const std::string& argument) {
  char first = argument.empty() ? '\0' : argument[0];
  bool slashOption = first == '/' && !frontEnd_.slashIsPath && !isSlashPath(argument);
  if (first == '-' || slashOption) {
    applyOption(argument);
  } else if (first == '@') {
    processResponseFile(argument);
  } else {
    processSource(argument);
  }
}

// A source argument: one file, or, where directories expand, every C file below one.
void Program::processSource(const std::string& name) {
  if (frontEnd_.directoriesExpand && isDirectory(name)) {
    std::size_t found = 0;  // however the directory is expanded, what it gave to scan
    for (const std::string& file : sourceFilesBelow(name, frontEnd_.cScan)) {
      ++found;
      processSourceFile(file);
    }
    if (found == 0) reportEmptyDirectory(name);
    return;
  }
  processSourceFile(name);
}

// The letter is the second byte, in any case; the value is everything after it.
void Program::applyOption(const std::string& argument) {
  char letter = asciiUpper(argument.size() > 1 ? argument[1] : '\0');
  std::string value = argument.size() > 2 ? argument.substr(2) : std::string();
  switch (letter) {
    case 'C':
      if (value.empty()) {
        options.showComments = false;
      } else {
        settings.caption = value;
      }
      break;
    case 'D':
      lists.defineList.appendName(value);
      if (frontEnd_.cScan) addCSymbol(value, true);
      break;
    case 'E':
      reportExclusionFile(value);
      break;
    case 'J':
      break;
    case 'M':
      options.multiDetail = true;
      break;
    case 'N':
      options.hideUndefined = true;
      break;
    case 'P':
      options.markExpanded = false;
      break;
    case 'T':
      options.treeInfoFile = true;
      if (!value.empty() && hasClass(value[0], kPrintable)) options.treeInfoFileName = value;
      break;
    case 'V':
      options.verbose = true;
      break;
    case 'U':
      if (frontEnd_.cScan) {
        addCSymbol(value, false);
        break;
      }
      [[fallthrough]];
    default:
      console.err.printf(textFormat(Text::UnknownOption), letter);
      console.ringBell();
      break;
  }
}

void Program::reportExclusionFile(const std::string& path) {
  if (readExclusionFile(path, lists)) {
    console.err.printf(textFormat(Text::ExclusionRead), path.c_str());
    return;
  }
  console.err.printf(textFormat(Text::ExclusionMissing), path.c_str());
  console.ringBell();
}

// Every token of the file is handled as if it stood on the command line.
void Program::processResponseFile(const std::string& argument) {
  TextInput file;
  if (!responseFiles_.open(argument.substr(1), file)) {
    console.err.printf(textFormat(Text::ResponseMissing), argument.c_str());
    console.ringBell();
    if (responseFiles_.lastUnreadable()) inputUnread();
    return;
  }
  console.err.printf(textFormat(Text::ResponseEcho), argument.c_str());
  struct Closing {
    ResponseFiles& files;
    ~Closing() { files.close(); }
  } closing{responseFiles_};
  std::string token;
  while (file.readToken(token)) processArgument(token);
}

}  // namespace quenwick
