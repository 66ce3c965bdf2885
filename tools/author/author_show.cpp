// Stand-in until this command lands.
#include <cstdio>

#include "author.h"

int authorShow(int, char**) {
  fputs("veritor-author: 'show' is not part of this build yet\n", stderr);
  return 2;
}
