#include <stdio.h>
#include "local.h"
#pragma once
#error don't build this {
#warning it's odd (
#line 100 "other.c"
#ident "x"
#
int main(void) { return helper(); }
int helper(void) { return 0; }
