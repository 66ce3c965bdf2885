// Stand-in until this command lands.
#include <cstdio>

#include "author.h"

int authorRead(int, char**) {
  fputs("veritor-author: 'read' is not part of this build yet\n", stderr);
  return 2;
}
