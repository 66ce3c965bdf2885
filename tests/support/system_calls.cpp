#include "support/system_calls.h"

#include <cstdlib>
#include <filesystem>

void setEnvironmentDefault(const char* name, const char* value) {
  if (!getenv(name))
    setEnvironment(name, value);
}

EnvironmentValue::EnvironmentValue(const char* name, const char* value) : name_(name) {
  const char* old = getenv(name);
  hadOld_ = old != nullptr;
  if (old)
    old_ = old;
  if (value)
    setEnvironment(name, value);
  else
    clearEnvironment(name);
}

EnvironmentValue::~EnvironmentValue() {
  if (hadOld_)
    setEnvironment(name_, old_.c_str());
  else
    clearEnvironment(name_);
}

char pathSeparator() {
  return static_cast<char>(std::filesystem::path::preferred_separator);
}

std::string nativePath(std::string path) {
  for (char& c : path)
    if (c == '/')
      c = pathSeparator();
  return path;
}

void readAll(FILE* stream, std::string* output) {
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, stream)) > 0)
    output->append(buffer, got);
}
