#include "scan/directives.h"

#include <string_view>

#include "config/texts.h"
#include "platform/ascii.h"

namespace quenwick {

namespace {

bool isWord(const std::string& token) {
  return !token.empty() && hasClass(static_cast<unsigned char>(token[0]), kWordStart);
}

}  // namespace

void DirectiveHandler::handleDirective() {
  for (;;) {
    reader_.readChar();  // past the "#"
    reader_.readWord(name_);
    carryOut(name_);
    if (isActive()) return;
    skipInactiveText();
  }
}

// Carries out one directive by its name; case matters, so "IF" is unknown.
// `directive` is the name buffer itself: every test of it comes before the buffer
// is reused for a symbol.
void DirectiveHandler::carryOut(const std::string& directive) {
  if (directive == "if") {
    pushLevel(evalCondition());
  } else if (directive == "ifdef" || directive == "ifndef") {
    bool wantDefined = directive == "ifdef";
    reader_.skipBlanks();
    reader_.readWord(name_);
    bool defined = defineList_.containsName(name_);
    pushLevel(defined == wantDefined ? 1 : 0);
  } else if (directive == "elif") {
    doElif();
  } else if (directive == "else") {
    doElse();
  } else if (directive == "endif") {
    doEndif();
  } else if (directive == "include" || directive == "pragma") {
    reader_.skipToLineEnd();
  } else if (directive == "define" || directive == "undef") {
    bool define = directive == "define";
    reader_.skipBlanks();
    reader_.readWord(name_);
    reader_.skipToLineEnd();
    if (define) {
      defineList_.appendName(name_);
    } else {
      defineList_.removeName(name_);
    }
  } else {
    reader_.skipToLineEnd();
    console_.err.printf(textFormat(Text::UnknownDirective), reader_.line(), directive.c_str());
  }
}

void DirectiveHandler::doElif() {
  if (condStack_.empty()) {
    // No level to change: the condition is read and dropped, and nothing is written.
    evalCondition();
    return;
  }
  int top = condStack_.back();
  if (top == 0) {
    setTop(evalCondition());
  } else if (top == 1 || top == 2) {
    evalCondition();
    setTop(2);
  }
  console_.out.printf(textFormat(Text::ElifValue), condStack_.back());
}

void DirectiveHandler::doElse() {
  if (condStack_.empty()) {
    console_.ringBell();
    console_.err.printf(textFormat(Text::ElseUnmatched), reader_.line());
    return;
  }
  int top = condStack_.back();
  if (top == 0)
    setTop(1);
  else if (top == 1)
    setTop(2);
}

void DirectiveHandler::doEndif() {
  if (!condStack_.empty()) {
    popLevel();
    return;
  }
  console_.ringBell();
  console_.err.printf(textFormat(Text::EndifExcess), reader_.line());
}

int DirectiveHandler::evalCondition() {
  std::string token;
  reader_.readWord(token);
  if (equalsIgnoringAsciiCase(token, "defined")) return definedForm();
  if (token.size() == 1 && hasClass(static_cast<unsigned char>(token[0]), kDigit)) {
    return token[0] - '0';
  }
  return 0;
}

// defined NAME, or defined ( NAME ): 1 when NAME is a word held by defineList.
int DirectiveHandler::definedForm() {
  reader_.skipBlanks();
  if (reader_.current() == '(') reader_.readChar();
  std::string name;
  reader_.readWord(name);
  reader_.skipBlanks();
  if (reader_.current() == ')') reader_.readChar();
  return isWord(name) && defineList_.containsName(name) ? 1 : 0;
}

// Reads raw characters (comments and literals mean nothing here) until a "#" has
// been read; it reads before it looks, so a "#" current at the start is passed over.
void DirectiveHandler::skipInactiveText() {
  do {
    reader_.readChar();
  } while (reader_.current() != '#');
}

void DirectiveHandler::pushLevel(int value) {
  condStack_.push_back(value);
  if (value % 2 == 0) ++evenLevels_;
}

void DirectiveHandler::popLevel() {
  if (condStack_.back() % 2 == 0) --evenLevels_;
  condStack_.pop_back();
}

void DirectiveHandler::setTop(int value) {
  popLevel();
  pushLevel(value);
}

}  // namespace quenwick
