// Environment variables, paths and commands for tests: the same calls on every system the
// tests run on.
#pragma once

#include <cstdio>
#include <string>

void setEnvironment(const char* name, const char* value);
// Sets the variable only when it is not set already.
void setEnvironmentDefault(const char* name, const char* value);
void clearEnvironment(const char* name);

// Sets or clears an environment variable for the life of the object.
class EnvironmentValue {
 public:
  EnvironmentValue(const char* name, const char* value);
  ~EnvironmentValue();
  EnvironmentValue(const EnvironmentValue&) = delete;
  EnvironmentValue& operator=(const EnvironmentValue&) = delete;

 private:
  const char* name_;
  bool hadOld_ = false;
  std::string old_;
};

// The separator of paths on the system the tests run on.
char pathSeparator();
// The path with every '/' turned into the system's separator: tests write paths below a
// folder as "sub/name".
std::string nativePath(std::string path);

// Runs a command line through the system's command processor with its standard output
// read into output (line ends as LF); returns the command's exit status.
int runCommand(const std::string& command, std::string* output);
// Appends everything left in the stream to output.
void readAll(FILE* stream, std::string* output);
