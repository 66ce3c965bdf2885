#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include "support/system_calls.h"

void setEnvironment(const char* name, const char* value) {
  setenv(name, value, 1);
}

void clearEnvironment(const char* name) {
  unsetenv(name);
}

int runCommand(const std::string& command, std::string* output) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe)
    return -1;
  readAll(pipe, output);
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
