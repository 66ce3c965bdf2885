#include "app/identity.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "console/console.h"
#include "state/program_state.h"

namespace {

constexpr int NameCapacity = 48;
constexpr int IdCapacity = 8;

bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isLower(char c) { return c >= 'a' && c <= 'z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Asks with the prompt until something is typed.
void readName(char* buffer, const char* prompt) {
  do {
    readConsoleLine(buffer, NameCapacity, prompt, false);
  } while (buffer[0] == '\0');
}

// "Last, First" in State.StudentFullName. It holds 63 characters: the first name gives
// way when the two are long.
void storeFullName(const char* lastName, const char* firstName) {
  std::string full = std::string(lastName) + ", " + firstName;
  size_t length = std::min(full.size(), sizeof State.StudentFullName - 1);
  memcpy(State.StudentFullName, full.data(), length);
  State.StudentFullName[length] = '\0';
}

}  // namespace

int validateStudentId(char* id) {
  if (strlen(id) != 6) {
    consoleWrite(ConsoleStream::Err,
                 "\n\n*** Error - Invalid abc123, MUST be exactly 6 characters, 3 letters, 3 "
                 "numbers.\n\n");
    return -1;
  }
  for (int i = 0; i < 3; ++i) {
    if (isUpper(id[i])) {
      id[i] = static_cast<char>(id[i] - 'A' + 'a');
    } else if (!isLower(id[i])) {
      consoleWrite(ConsoleStream::Err, "\n\n*** Error - abc123 MUST begin with 3 letters.\n\n");
      return -1;
    }
  }
  for (int i = 3; i < 6; ++i) {
    if (!isDigit(id[i])) {
      consoleWrite(ConsoleStream::Err,
                   "\n\n*** Error - abc123 MUST end with 3 decimal digits.\n\n");
      return -1;
    }
  }
  return 0;
}

void askStudentIdentity() {
  char lastName[NameCapacity];
  char firstName[NameCapacity];
  char id[IdCapacity];
  for (;;) {
    readName(lastName, "\n\nEnter your Last Name: ");
    readName(firstName, "\n\nEnter your First Name: ");
    do {
      readConsoleLine(id, IdCapacity, "\n\nEnter your abc123: ", false);
    } while (validateStudentId(id) == -1);

    consolePrintf(ConsoleStream::Out, "\n  Name: %s, %s\nabc123: %s\n\n", lastName, firstName,
                  id);
    char answer = 0;
    askKeyChoice(&answer, "YyNn", 4, "Is the information correct?  Y(y) / N(n): ", 14);
    if (answer == 'Y' || answer == 'y')
      break;
  }
  storeFullName(lastName, firstName);
  memcpy(State.StudentId, id, sizeof id);
}
