// How the author commands read their command line and report what they refuse, so that
// make and show take options and word their messages alike.
#pragma once

#include <string>
#include <vector>

// An option that takes a value, as "--name VALUE" or "--name=VALUE".
struct AuthorOption {
  const char* Name;
  std::string* Value;
  bool* Given = nullptr;  // set when the option is on the command line, if not null
};

// Reads the command line of "veritor-author <command>": the options, and the one file it
// works on (what inputKind names, e.g. "exam text") into *input. Returns -1 when the
// command goes on; otherwise the exit status to end with: 0 after printing usage for
// --help, 2 after a usage error.
int parseAuthorArguments(const char* command, const char* usage, const char* inputKind,
                         int argc, char** argv, const std::vector<AuthorOption>& options,
                         std::string* input);

// The same for a command that works on one or more inputs, all of them into *inputs.
int parseAuthorArgumentList(const char* command, const char* usage, const char* inputKind,
                            int argc, char** argv, const std::vector<AuthorOption>& options,
                            std::vector<std::string>* inputs);

// "veritor-author <command>: " and the message, then where the usage is; returns 2, the
// exit status for wrong usage.
int usageError(const char* command, const char* format, const char* detail);

// "veritor-author <command>: " and the message; returns 1, the exit status for a text or
// file the command refuses.
int refused(const char* command, const char* format, const char* detail);
