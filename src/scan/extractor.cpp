#include "scan/extractor.h"

#include "config/texts.h"

namespace quenwick {

void Extractor::readName(std::string& name) {
  name.clear();
  do {
    name.push_back(static_cast<char>(current()));
    reader_.readWordRun(name);  // the rest of the run at once, where it is buffered
    next();
  } while (hasClass(current(), kWordChar));
}

// Reads the next character, passing first over plain code that no scan looks at.
int Extractor::nextPastPlainCode() {
  reader_.skipPlainRun();
  return next();
}

void Extractor::skipParenthesisGroup() {
  long long depth = 1;
  while (depth != 0) {
    int c = next();
    if (c == '(') ++depth;
    if (c == ')') --depth;
  }
}

void Extractor::scanSourceFile(const std::string& fileName) {
  if (!reader_.openSource(fileName)) {
    console_.ringBell();
    console_.err.write(text(Text::SourceMissing));
    return;
  }
  scanOpenedFile(fileName);
}

void Extractor::scanOpenedFile(const std::string& fileName) {
  if (options_.verbose) console_.out.printf(textFormat(Text::VerboseFileName), fileName.c_str());
  next();
  for (;;) {
    if (!hasClass(current(), kWordStart)) {
      nextPastPlainCode();
      continue;
    }
    readName(name_);
    int line = reader_.line();
    skipBlanks();
    if (current() != '(') continue;  // examined again: it may start another name
    skipParenthesisGroup();
    next();
    int c = skipBlanks();
    if (c == ';' || c == ',') {
      if (options_.verbose) {
        console_.out.printf(textFormat(Text::VerboseDeclaration), fileName.c_str(), line + 1LL,
                            name_.c_str());
      }
      next();
      continue;
    }
    if (c == '(') {  // a declarator such as that of a function pointer
      next();
      continue;
    }
    while (current() != '{') next();  // old-style parameter declarations and the like
    recordDefinition(fileName, line);
    next();
  }
}

void Extractor::recordDefinition(const std::string& fileName, int line) {
  FuncRecord& record = table_.appendFuncRecord(
      table_.createFuncRecord(name_, fileName, line, &lexer_.caption(), options_.showComments));
  lexer_.clearCaption();
  if (options_.verbose)
    console_.out.printf(textFormat(Text::VerboseDefinition), fileName.c_str(), line);
  scanBody(record);
}

bool Extractor::isNewCallee(const FuncRecord& record, const std::string& name) {
  return !lists_.excludeList.containsName(name) && !lists_.leafList.containsName(name) &&
         !table_.containsCallee(record, name);
}

void Extractor::scanBody(FuncRecord& record) {
  if (options_.verbose) {
    console_.out.printf(textFormat(Text::VerboseBodyStart), std::string(record.name).c_str());
  }
  next();
  while (lexer_.depth() != 0) {
    if (!hasClass(current(), kWordStart)) {
      nextPastPlainCode();
      continue;
    }
    readName(name_);
    if (skipBlanks() != '(') continue;
    if (isNewCallee(record, name_)) {
      table_.addCallee(record, name_);
      if (options_.verbose) console_.out.printf(textFormat(Text::VerboseCallee), name_.c_str());
    }
    next();
  }
  if (options_.verbose) console_.out.write(text(Text::VerboseBodyEnd));
}

}  // namespace quenwick
