// The question window on Windows.
#include "platform/window_backend.h"

bool graphicalDisplayAvailable() {
  return false;
}

std::unique_ptr<QuestionWindowBackend> makeQuestionWindowBackend() {
  return nullptr;
}
