#include <stdio.h>
#include <stdlib.h>

#include "support/system_calls.h"

void setEnvironment(const char* name, const char* value) {
  _putenv_s(name, value);
}

void clearEnvironment(const char* name) {
  // An empty value removes the variable from the run-time library's environment.
  _putenv_s(name, "");
}

int runCommand(const std::string& command, std::string* output) {
  // Text mode: the CR LF line ends of the program's output come back as LF.
  FILE* pipe = _popen(command.c_str(), "rt");
  if (!pipe)
    return -1;
  readAll(pipe, output);
  return _pclose(pipe);
}
