#include "app/startup.h"

#include <cstdio>
#include <thread>
#include <vector>

#include "app/identity.h"
#include "app/main_menu.h"
#include "console/console.h"
#include "crypto/key_data.h"
#include "examfile/expiry_check.h"
#include "state/program_state.h"

namespace {

// How often the guard puts the console's protections back in place.
constexpr uint32_t GuardPeriodMilliseconds = 200;

}  // namespace

void startConsoleGuard() {
  // The backend is taken here, on the main thread, so that the guard never races the
  // program for the first look-up of platform().
  Platform& backend = platform();
  // The first round runs before anything is shown, so that no prompt is ever on the
  // screen while Ctrl+C could still end the program.
  backend.guardConsole();
  std::thread guard([&backend] {
    for (;;) {
      backend.sleepMilliseconds(GuardPeriodMilliseconds);
      backend.guardConsole();
    }
  });
  // The guard runs until the process ends; nothing waits for it.
  guard.detach();
}

void prepareConsole(const char* programPath) {
  char title[64];
  snprintf(title, sizeof title, "Veritor Version %5.2f", ProgramVersion);
  platform().setTitle(title);
  platform().setConsoleBufferSize(128, 64);
  platform().placeConsoleWindow();
  clearScreen();
  consolePrintf(ConsoleStream::Out, "\n\n%s  Version %5.2f\n\n", programPath ? programPath : "",
                ProgramVersion);
}

void setUpExamStateAndKey(int argc, char** argv) {
  initExamState();
  setUpKeyData(argc, argv);
}

void readWorkingDirectory() {
  if (platform().currentDirectory(State.WorkingDirectory, sizeof State.WorkingDirectory))
    return;
  State.WorkingDirectory[0] = '\0';
  // Tell a directory too deep for the path buffers from one that cannot be read at all:
  // the exam search must never start from a cut or unfilled path.
  std::vector<char> wide(16 * sizeof State.WorkingDirectory);
  if (platform().currentDirectory(wide.data(), wide.size())) {
    char message[160];
    snprintf(message, sizeof message,
             "\n\nError! The current working directory is longer than %zu characters.\n\n",
             sizeof State.WorkingDirectory - 1);
    showMessageAndWait(message, 15);
    endProgram(-1);
  }
  showMessageAndWait("\n\nError! Could not get current working directory.\n\n", 15);
  endProgram(-1);
}

void runConsoleProgram(int argc, char** argv) {
  prepareConsole(argc > 0 ? argv[0] : "veritor");
  setUpExamStateAndKey(argc, argv);
  readWorkingDirectory();
  askStudentIdentity();
  runMainMenuLoop();
}

void runVeritor(int argc, char** argv) {
  startConsoleGuard();
  runConsoleProgram(argc, argv);
}
