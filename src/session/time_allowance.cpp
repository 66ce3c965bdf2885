#include "session/time_allowance.h"

#include <cstdint>
#include <cstdio>

#include "console/console.h"
#include "state/program_state.h"
#include "state/session_clock.h"
#include "session/window_message.h"

namespace {

// The window gets the text without "Press ENTER"; the console gets it with, and waits.
void showWarning(const char* windowText, const char* consoleText, int attribute) {
  int length = snprintf(State.QuestionText, sizeof State.QuestionText, "%s", windowText);
  if (length >= static_cast<int>(sizeof State.QuestionText))
    length = sizeof State.QuestionText - 1;
  publishMessageText(static_cast<uint32_t>(length));
  showMessageAndWait(consoleText, attribute);
}

void showPercentWarning(const char* windowFormat, const char* consoleFormat, uint32_t elapsed,
                        int attribute) {
  uint32_t limit = State.TimeLimitSeconds.load(std::memory_order_relaxed);
  int minutes = static_cast<int>(limit / 60);
  int remain = static_cast<int>((limit - elapsed) / 60);
  char windowText[256];
  char consoleText[256];
  snprintf(windowText, sizeof windowText, windowFormat, minutes, remain);
  snprintf(consoleText, sizeof consoleText, consoleFormat, minutes, remain);
  showWarning(windowText, consoleText, attribute);
}

}  // namespace

void resetTimeWarnings() {
  State.Warned50 = false;
  State.Warned75 = false;
  State.Warned90 = false;
  State.OverTimeWarnAt = 0;
  State.OverTimeWarnCount = 1;
}

void checkTimeAllowance() {
  uint32_t elapsed = sessionElapsedSeconds(platform().tickCount());
  uint32_t limit = State.TimeLimitSeconds.load(std::memory_order_relaxed);
  // A short grace past the allowance: the student who answered in the last seconds still
  // gets the question the answer led to.
  if (static_cast<int32_t>(elapsed - limit) >= 4)
    State.EndReason = 1;

  if (elapsed > limit) {
    if (elapsed <= State.OverTimeWarnAt)
      return;
    char windowText[256];
    char consoleText[256];
    int minutes = static_cast<int>(State.Header.TimeLimit);
    if (State.OverTimeWarnAt == 0) {
      snprintf(windowText, sizeof windowText,
               "\n\nWarning! You have exceeded the time allowed (%d min). Exiting ... \n", minutes);
      snprintf(consoleText, sizeof consoleText,
               "\n\nWarning! You have exceeded the time allowed (%d min). Exiting ... \n\nPress "
               "ENTER\n\n",
               minutes);
      State.OverTimeWarnAt = State.Warn50Seconds * State.OverTimeWarnCount + limit;
    } else {
      // The minutes shown are the allowance itself, as in the first warning: the factor
      // says how far past it the student is.
      double factor = (State.OverTimeWarnCount + 2) * 0.5;
      snprintf(windowText, sizeof windowText,
               "Warning - you have exceeded (%d min) by %3.1f times the amount of time alloted "
               "for this exam.\n\n",
               minutes, factor);
      snprintf(consoleText, sizeof consoleText,
               "Warning - you have exceeded (%d min) by %3.1f times the amount of time alloted "
               "for this exam.\n\nPress ENTER\n\n",
               minutes, factor);
      State.OverTimeWarnAt = State.Warn50Seconds * (State.OverTimeWarnCount + 1) + limit;
    }
    ++State.OverTimeWarnCount;
    showWarning(windowText, consoleText, 12);
    return;
  }

  if (!State.Warned90 && elapsed > State.Warn90Seconds.load(std::memory_order_relaxed)) {
    State.Warned90 = State.Warned75 = State.Warned50 = true;
    showPercentWarning(
        "\n\n*** Warning - You have used 90%% of your Allotted Test Time of (%d min) - %d min "
        "remain.\n\n",
        "\n\n*** Warning - You have used 90%% of your Allotted Test Time of (%d min) - %d min "
        "remain.\n\nPress ENTER\n\n",
        elapsed, 12);
  } else if (!State.Warned75 && elapsed > State.Warn75Seconds) {
    State.Warned75 = State.Warned50 = true;
    showPercentWarning(
        "\n\n*** Warning - You have used 75%% of your Allotted Test Time of (%d min) - %d min "
        "remain.\n\n",
        "\n\n*** Warning - You have used 75%% of your Allotted Test Time of (%d min) - %d min "
        "remain.\n\nPress ENTER\n\n",
        elapsed, 14);
  } else if (!State.Warned50 && elapsed > State.Warn50Seconds) {
    State.Warned50 = true;
    showPercentWarning(
        "\n\n*** Warning - You have used 50%% of your Allotted Test Time of (%d min) - %d min "
        "remain.\n\n",
        "\n\n*** Note: - You have used 50%% of your Allotted Test Time of (%d min) - %d min "
        "remain.\n\nPress ENTER\n\n",
        elapsed, 11);
  }
}
