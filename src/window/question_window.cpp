// Stand-in until the question window lands: nothing is shown, the text stays in
// State.QuestionText.
#include "window/question_window.h"

namespace {
WindowView g_view = WindowView::Off;
}

void setWindowView(WindowView view) { g_view = view; }
WindowView windowView() { return g_view; }
void openQuestionWindow() {}
void closeQuestionWindow() {}
bool questionWindowOpen() { return false; }
void publishQuestionText(uint32_t) {}
