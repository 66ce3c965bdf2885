// Messages that the session shows both in the question window and on the console.
#pragma once

#include <cstdint>

#include "window/question_window.h"

// Publishes a message already written into State.QuestionText. In the console view the
// window is the console itself, where the message is printed anyway: publishing it too
// would show it twice.
inline void publishMessageText(uint32_t length) {
  if (windowView() != WindowView::Console)
    publishQuestionText(length);
}
