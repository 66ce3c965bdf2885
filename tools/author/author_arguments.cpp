#include "author_arguments.h"

#include <cstdio>
#include <cstring>

namespace {

// Takes "--name VALUE" or "--name=VALUE" at argv[*i]; moves *i past what it took.
// Returns false when argv[*i] is not that option; sets *missing when the value is absent.
bool takeOption(int argc, char** argv, int* i, const char* name, std::string* value,
                bool* missing) {
  const char* arg = argv[*i];
  size_t length = strlen(name);
  if (strncmp(arg, name, length) != 0)
    return false;
  if (arg[length] == '=') {
    *value = arg + length + 1;
    return true;
  }
  if (arg[length] != '\0')
    return false;
  if (*i + 1 >= argc) {
    *missing = true;
    return true;
  }
  ++*i;
  *value = argv[*i];
  return true;
}

}  // namespace

int parseAuthorArguments(const char* command, const char* usage, const char* inputKind,
                         int argc, char** argv, const std::vector<AuthorOption>& options,
                         std::string* input) {
  std::vector<std::string> inputs;
  int status = parseAuthorArgumentList(command, usage, inputKind, argc, argv, options, &inputs);
  if (status != -1)
    return status;
  if (inputs.size() > 1) {
    std::string format = std::string("more than one ") + inputKind + " given ('%s')";
    return usageError(command, format.c_str(), inputs[1].c_str());
  }
  *input = inputs[0];
  return -1;
}

int parseAuthorArgumentList(const char* command, const char* usage, const char* inputKind,
                            int argc, char** argv, const std::vector<AuthorOption>& options,
                            std::vector<std::string>* inputs) {
  for (int i = 0; i < argc; ++i) {
    const char* name = argv[i];
    if (strcmp(name, "--help") == 0 || strcmp(name, "-h") == 0) {
      fputs(usage, stdout);
      return 0;
    }
    const AuthorOption* taken = nullptr;
    bool missing = false;
    std::string value;
    for (const AuthorOption& option : options) {
      if (takeOption(argc, argv, &i, option.Name, &value, &missing)) {
        taken = &option;
        break;
      }
    }
    if (taken) {
      if (missing)
        return usageError(command, "option %s needs a value", name);
      *taken->Value = value;
      if (taken->Given)
        *taken->Given = true;
    } else if (name[0] == '-' && name[1] != '\0') {
      return usageError(command, "unknown option '%s'", name);
    } else {
      inputs->push_back(name);
    }
  }
  if (inputs->empty()) {
    std::string message = std::string("no ") + inputKind + " given";
    return usageError(command, "%s", message.c_str());
  }
  return -1;
}

int usageError(const char* command, const char* format, const char* detail) {
  fprintf(stderr, "veritor-author %s: ", command);
  fprintf(stderr, format, detail);
  fprintf(stderr, "\n(see 'veritor-author %s --help')\n", command);
  return 2;
}

int refused(const char* command, const char* format, const char* detail) {
  fprintf(stderr, "veritor-author %s: ", command);
  fprintf(stderr, format, detail);
  fputc('\n', stderr);
  return 1;
}
