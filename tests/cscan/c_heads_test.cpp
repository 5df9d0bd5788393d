#include "cscan/c_heads.h"

#include <gtest/gtest.h>

#include <string>

#include "cscan/lexed_text.h"

namespace quenwick::ctest {
namespace {

// What `readHead` makes of `decl`: the defined name, "static " before it when
// static, "extern-C", or "" for no function head.
std::string headOf(std::string_view decl) {
  const LexedText lexed(decl);
  const Head head = readHead(lexed.tokens);
  switch (head.kind) {
    case Head::Function:
      return (head.isStatic ? "static " : "") + std::string(lexed.tokens[head.name].text);
    case Head::ExternC:
      return "extern-C";
    case Head::Other:
      break;
  }
  return "";
}

TEST(CHeadsTest, PlainAndParenthesisedNames) {
  EXPECT_EQ(headOf("int f(void)"), "f");
  EXPECT_EQ(headOf("f()"), "f");
  EXPECT_EQ(headOf("struct s *make(int n, ...)"), "make");
  EXPECT_EQ(headOf("static int *(f)(void)"), "static f");
  EXPECT_EQ(headOf("int (f)(void)"), "f");
  EXPECT_EQ(headOf("lua_State *(newstate) (void)"), "newstate");
  // A calling convention before the name: `png_uint_32 (PNGAPI png_get_uint_32)(...)`.
  EXPECT_EQ(headOf("png_uint_32 (PNGAPI get_uint_32)(png_const_bytep buf)"), "get_uint_32");
  EXPECT_EQ(headOf("static void (__cdecl write_it)(int n)"), "static write_it");
  EXPECT_EQ(headOf("int (value x)(void)"), "");
}

TEST(CHeadsTest, AMacroCallBeforeTheNameBelongsToTheReturnType) {
  EXPECT_EQ(headOf("API(int *) parse(const char *s)"), "parse");
  EXPECT_EQ(headOf("static EXPORT(void) run(int a, int b)"), "static run");
}

TEST(CHeadsTest, AnnotationsMayFollowTheParameters) {
  EXPECT_EQ(headOf("int log_msg(const char *fmt, ...) PRINTF(1, 2)"), "log_msg");
  EXPECT_EQ(headOf("void f(int a) __releases(x) __acquires(y)"), "f");
  EXPECT_EQ(headOf("void die(void) __attribute__((noreturn))"), "die");
  EXPECT_EQ(headOf("static int __init setup(char *s) __must_check"), "static setup");
  EXPECT_EQ(headOf("static inline int __must_check g(int x)"), "static g");
}

TEST(CHeadsTest, AMacroHeadDefinesTheMacrosName) {
  EXPECT_EQ(headOf("SYSCALL_DEFINE3(open, const char __user *, filename, int, flags)"),
            "SYSCALL_DEFINE3");
}

TEST(CHeadsTest, AFunctionThatReturnsAPointerToAFunction) {
  const LexedText lexed("void (*signal(int sig, void (*func)(int)))(int)");
  const Head head = readHead(lexed.tokens);
  ASSERT_EQ(head.kind, Head::Function);
  EXPECT_EQ(lexed.tokens[head.name].text, "signal");
  ASSERT_EQ(head.pointerParams.size(), 1u);
  EXPECT_EQ(head.pointerParams[0], "func");
}

TEST(CHeadsTest, WhatOpensNoFunctionBody) {
  EXPECT_EQ(headOf("struct s"), "");
  EXPECT_EQ(headOf("enum { A, B }"), "");
  EXPECT_EQ(headOf("x = "), "");
  EXPECT_EQ(headOf("int table[] ="), "");
  EXPECT_EQ(headOf("int (*handlers[])(int) ="), "");
  EXPECT_EQ(headOf(""), "");
  EXPECT_EQ(headOf("int f(void"), "");
  EXPECT_EQ(headOf("extern \"C\""), "extern-C");
}

TEST(CHeadsTest, KeywordsThatTakeParenthesesAreNoHeads) {
  for (const char* decl : {"while (x)", "if (a && b)", "for (;;)", "switch (c)", "return (x)",
                           "sizeof (int)", "typeof (x)", "__typeof__(y)", "_Generic(x, int: 1)",
                           "_Static_assert(1, \"x\")", "__attribute__((unused))", "asm(\"nop\")",
                           "defined(X)", "do"}) {
    EXPECT_EQ(headOf(decl), "") << decl;
  }
}

// What `readOldStyleHead` makes of a declaration ended by ";".
std::string oldStyleHeadOf(std::string_view decl) {
  const LexedText lexed(decl);
  Head head;
  if (!readOldStyleHead(lexed.tokens, head)) return "";
  return (head.isStatic ? "static " : "") + std::string(lexed.tokens[head.name].text);
}

TEST(CHeadsTest, OldStyleHeadsHaveNamesAloneInTheirGroup) {
  EXPECT_EQ(oldStyleHeadOf("int main(argc, argv) int argc"), "main");
  EXPECT_EQ(oldStyleHeadOf("static char *copy(s) char *s"), "static copy");
  EXPECT_EQ(oldStyleHeadOf("int f(int a)"), "");  // a prototype
  EXPECT_EQ(oldStyleHeadOf("int f(void)"), "");
  EXPECT_EQ(oldStyleHeadOf("int f()"), "");
  EXPECT_EQ(oldStyleHeadOf("x = f(a, b)"), "");
  EXPECT_EQ(oldStyleHeadOf("g(1, 2)"), "");
  EXPECT_EQ(oldStyleHeadOf("while (x)"), "");
}

}  // namespace
}  // namespace quenwick::ctest
