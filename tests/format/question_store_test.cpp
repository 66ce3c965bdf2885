#include "format/question_store.h"
#include "state/memory.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "console/console.h"
#include "support/scripted_test.h"

namespace {

class QuestionStoreTest : public ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    clearQuestionStore();
  }
  void TearDown() override {
    AllocateMemory = malloc;
    clearQuestionStore();
    ScriptedTest::TearDown();
  }
  // Runs fn, which must end the program after its pause.
  int runToExit(const std::function<void()>& fn) {
    console.typeLine("");
    return runProgram(fn);
  }
  static Question* question(uint16_t slot, const char* text, float points = 1.0f) {
    std::string copy = text;
    return newQuestion(slot, copy.data(), points);
  }
  static void add(Question* record, const std::string& text, uint8_t replace) {
    std::string copy = text;
    addAnswer(record, copy.data(), replace);
  }
  static std::string answers(const Question* record) {
    return std::string(record->Answers, record->AnswerLength);
  }
};

void* failingAllocate(size_t) {
  return nullptr;
}

TEST_F(QuestionStoreTest, NewQuestionFillsItsSlot) {
  State.PoolMarks[1] = 1;
  Question* record = question(1, "What?", 2.5f);
  EXPECT_EQ(record, &State.QuestionSlots[1]);
  EXPECT_STREQ(record->Text, "What?");
  EXPECT_EQ(record->Points, 2.5f);
  EXPECT_EQ(record->Pool, 1);
  EXPECT_EQ(record->Answers, record->AnswerInline);
  EXPECT_EQ(record->AnswerCapacity, 32);
  EXPECT_EQ(record->Flags, 0);
  EXPECT_STREQ(firstAnswer(record), "");
  EXPECT_EQ(State.QuestionSlots[0].Text, nullptr);
}

TEST_F(QuestionStoreTest, QuestionTextsAreCleanedSubQuestionTextsAreNot) {
  Question* record = question(1, "a\tb\x7F" "c\xE9" "d\x01" "e\r\n");
  EXPECT_STREQ(record->Text, "a\tb c d e\r\n");
  SubQuestion* sub = newSubQuestion("a\tb\x7F" "c\xE9", 3.0f);
  EXPECT_STREQ(sub->Text, "a\tb\x7F" "c\xE9");
  EXPECT_EQ(sub->Flags, FlagSubQuestion);
  EXPECT_EQ(sub->Points, 3.0f);
  EXPECT_EQ(sub, &State.SubQuestionSlots[0]);
  EXPECT_EQ(State.SubQuestionsUsed, 1);
}

TEST_F(QuestionStoreTest, QuestionSlotLimitsAndReuse) {
  EXPECT_NE(question(1023, "last"), nullptr);
  EXPECT_EQ(runToExit([] { question(1024, "one too many"); }), -1);
  EXPECT_EQ(err(),
            std::string("You have used 1024 Questions which is greater than the max! Program "
                        "needs adjustment.\n\n") +
                PressEnterBanner);

  console.takeText();
  EXPECT_EQ(runToExit([] { question(1023, "again"); }), -1);
  EXPECT_EQ(console.takeText(), "Error - Question index 1023 already used - exiting.\n\n\n\n");
}

TEST_F(QuestionStoreTest, SubQuestionSlotLimit) {
  for (int k = 0; k < 2048; ++k)
    newSubQuestion("s", 1.0f);
  EXPECT_EQ(State.SubQuestionsUsed, 2048);
  EXPECT_EQ(runToExit([] { newSubQuestion("one too many", 1.0f); }), -1);
  EXPECT_EQ(err(), "You have used 2048 sub-questions! Program needs adjustment.\n\n"
                   "newSubQuestion1\n\n");
}

TEST_F(QuestionStoreTest, AppendingLines) {
  Question* record = question(1, "A\n");
  appendQuestionLine(record, "B");
  EXPECT_STREQ(record->Text, "A\nB");
  appendQuestionLine(record, "\\C");
  EXPECT_STREQ(record->Text, "A\nB\n\\C");

  Question empty;
  appendQuestionLine(&empty, "B");
  EXPECT_STREQ(empty.Text, "B");
  appendChoiceBlock(&empty, " a) x\n b) y");
  EXPECT_STREQ(empty.Text, "B\n a) x\n b) y");
  EXPECT_EQ(empty.Flags, FlagChoiceBlock);
  free(empty.Text);

  Question bare;
  appendChoiceBlock(&bare, " a) x");
  EXPECT_STREQ(bare.Text, " a) x");
  free(bare.Text);
}

TEST_F(QuestionStoreTest, TextsStopAt4095Characters) {
  Question* record = question(1, std::string(4000, 'q').c_str());
  appendQuestionLine(record, std::string(94, 'c').c_str());
  EXPECT_EQ(strlen(record->Text), 4095u);

  std::string block(200, 'b');
  State.LineNumber = 9;
  EXPECT_EQ(runToExit([&] { appendChoiceBlock(record, block.c_str()); }), -1);
  EXPECT_EQ(err(), "LineNumber: 9 --> Syntax Error - line=\"" + block +
                       "\"\n\nError - Question text is longer than 4095 characters.\n\n" +
                       PressEnterBanner);
  EXPECT_EQ(strlen(record->Text), 4095u);

  // Texts handed to the store directly are cut to the same length.
  SubQuestion* sub = newSubQuestion(std::string(5000, 's').c_str(), 1.0f);
  EXPECT_EQ(strlen(sub->Text), 4095u);
}

TEST_F(QuestionStoreTest, AnswersGrowInSixteenByteSteps) {
  Question* record = question(1, "q");
  add(record, "&" + std::string(39, 'x'), 0);
  EXPECT_NE(record->Answers, record->AnswerInline);
  EXPECT_EQ(record->AnswerCapacity, 64);
  EXPECT_EQ(record->AnswerLength, 41);
  EXPECT_EQ(record->AnswerCount, 1);
  char* block = record->Answers;
  add(record, "  !123456789 \t\n", 0);
  EXPECT_EQ(record->Answers, block);
  EXPECT_EQ(record->AnswerCapacity, 64);
  EXPECT_EQ(record->AnswerLength, 52);
  EXPECT_EQ(record->AnswerCount, 2);
  EXPECT_EQ(answers(record), "&" + std::string(39, 'x') + '\0' + "!123456789" + '\0');
  EXPECT_EQ(firstAnswer(record), "&" + std::string(39, 'x'));
}

TEST_F(QuestionStoreTest, ReplaceModeStoresTheTypedAnswerAlone) {
  Question* record = question(1, "q");
  add(record, "&" + std::string(60, 'x'), 0);
  add(record, "& two", 0);
  add(record, "typed answer \t ", 1);
  EXPECT_EQ(record->Answers, record->AnswerInline);
  EXPECT_EQ(record->AnswerCapacity, 32);
  EXPECT_EQ(record->AnswerCount, 1);
  EXPECT_EQ(answers(record), std::string("typed answer\0", 13));

  add(record, "with return\r", 1);
  EXPECT_STREQ(firstAnswer(record), "with return\r");

  char blanks[] = "  \t ";
  addAnswer(record, blanks, 1);
  EXPECT_STREQ(firstAnswer(record), "&-->NO_ANSWER<--");
  EXPECT_EQ(record->AnswerLength, 17);
  EXPECT_STREQ(blanks, "  \t ");  // the caller's short buffer is not written past
  EXPECT_EQ(all(), "");
}

TEST_F(QuestionStoreTest, ClearedRecordsReadAsEmptyAndTakeAnswers) {
  Question cleared;
  EXPECT_STREQ(firstAnswer(&cleared), "");
  EXPECT_STREQ(firstAnswer(nullptr), "");
  add(&cleared, "42", 1);
  EXPECT_STREQ(firstAnswer(&cleared), "42");
  EXPECT_EQ(cleared.Answers, cleared.AnswerInline);

  Question parsed;
  add(&parsed, "& given", 0);
  EXPECT_STREQ(firstAnswer(&parsed), "& given");
}

TEST_F(QuestionStoreTest, ParserAnswersNeedTheirMark) {
  Question* record = question(1, "q");
  console.typeLine("");
  add(record, "  no mark ", 0);
  EXPECT_EQ(err(), std::string("Error - Did not find indication of answer: [idx1=2] no mark .\n\n") +
                       PressEnterBanner);
  EXPECT_EQ(record->AnswerCount, 0);

  console.takeText();
  console.typeLine("");
  addAnswer(record, nullptr, 0);
  EXPECT_EQ(console.takeText(), "Answer is null.\n\n\n\n");
  addAnswer(record, nullptr, 1);
  EXPECT_EQ(console.takeText(), "");
  EXPECT_EQ(record->AnswerCount, 0);
}

TEST_F(QuestionStoreTest, AnswerStorageStopsBelow64K) {
  Question* record = question(1, "q");
  std::string answer = "&" + std::string(4091, 'a');
  for (int k = 0; k < 16; ++k)
    add(record, answer, 0);
  EXPECT_EQ(record->AnswerCount, 16);
  EXPECT_EQ(record->AnswerLength, 16 * 4093);
  EXPECT_EQ(record->AnswerCapacity, 65504);
  console.typeLine("");
  add(record, answer, 0);
  const std::string full =
      "Error - Failed to add answer - question / answer buffer is 64K and full.\n\n";
  EXPECT_EQ(err(), full + "\n\n");
  EXPECT_EQ(attributeOf(full), 12);
  EXPECT_EQ(record->AnswerCount, 16);
  EXPECT_EQ(firstAnswer(record), answer);
  // A short answer still fits in what has been allocated.
  add(record, "&", 0);
  EXPECT_EQ(record->AnswerCount, 17);
}

TEST_F(QuestionStoreTest, AtMost255Answers) {
  Question* record = question(1, "q");
  for (int k = 0; k < 255; ++k)
    add(record, "&", 0);
  EXPECT_EQ(record->AnswerCount, 255);
  console.typeLine("");
  add(record, "& 256th", 0);
  EXPECT_EQ(err(), "Error - Failed to add answer - a question holds at most 255 answers.\n\n\n\n");
  EXPECT_EQ(record->AnswerCount, 255);
  EXPECT_EQ(record->AnswerLength, 510);
  // The student's answer still replaces them all.
  add(record, "mine", 1);
  EXPECT_EQ(record->AnswerCount, 1);
}

TEST_F(QuestionStoreTest, AllocationFailuresStopWithTheirMessages) {
  Question* record = question(1, "old text");
  AllocateMemory = failingAllocate;

  EXPECT_EQ(runToExit([] { question(2, "abc"); }), -1);
  EXPECT_EQ(console.takeText(), "Memory Error - Could not allocate 7 bytes for question.\n\n\n\n");

  EXPECT_EQ(runToExit([] { newSubQuestion("abcde", 1.0f); }), -1);
  EXPECT_EQ(console.takeText(),
            "Memory Error - Could not allocate 5 bytes for a sub-question.\n\n"
            "newSubQuestion2\n\n");

  EXPECT_EQ(runToExit([&] { appendQuestionLine(record, "more"); }), -1);
  EXPECT_EQ(console.takeText(), std::string("Memory Error - Can't append this question: old "
                                            "text\nNo more heap memory.\n\n") +
                                    PressEnterBanner);

  EXPECT_EQ(runToExit([&] { appendChoiceBlock(record, " a) x"); }), -1);
  EXPECT_EQ(console.takeText(),
            std::string("Memory Error - Could not allocate 14 bytes for question + multiple "
                        "choice answers.\n\n") +
                PressEnterBanner);
  EXPECT_STREQ(record->Text, "old text");

  console.typeLine("");
  add(record, "&" + std::string(40, 'x'), 0);
  EXPECT_EQ(out(), "Memory Warning! - ANSWER limited to 31 bytes - memory limited - could not "
                   "allocate 64 bytes.\n\n");
  EXPECT_EQ(record->AnswerCount, 0);
}

TEST_F(QuestionStoreTest, TrimTrailingBlanks) {
  char text[] = "ab \t\n \r \t";
  EXPECT_EQ(trimTrailingBlanks(text, static_cast<int>(strlen(text))), 7);
  EXPECT_STREQ(text, "ab \t\n \r");
  char blanks[] = " \t";
  EXPECT_EQ(trimTrailingBlanks(blanks, 2), 0);
  EXPECT_STREQ(blanks, "");
}

TEST_F(QuestionStoreTest, ClearEmptiesEverything) {
  State.PoolMarks[1] = 1;
  State.PoolNumber = 4;
  State.SkipCount = 2;
  State.SkipList[1].Number = 7;
  Question* record = question(5, "q");
  add(record, "&" + std::string(50, 'x'), 0);
  SubQuestion* sub = newSubQuestion("s", 1.0f);
  add(sub, "&" + std::string(50, 'y'), 0);
  record->SubLink = sub;
  newSubQuestion("never linked", 1.0f);
  // The last slot, so that a clear that stops short of the highest slot filled leaks it.
  add(question(QuestionSlotCount - 1, "last"), "&" + std::string(50, 'z'), 0);

  clearQuestionStore();
  EXPECT_EQ(State.PoolNumber, 1);
  EXPECT_EQ(State.PoolMarks[1], 0);
  EXPECT_EQ(State.SkipCount, 0);
  EXPECT_EQ(State.SkipList[1].Number, 0);
  EXPECT_EQ(State.SubQuestionsUsed, 0);
  EXPECT_EQ(State.QuestionSlots[5].Text, nullptr);
  EXPECT_EQ(State.QuestionSlots[5].Answers, nullptr);
  EXPECT_EQ(State.QuestionSlots[5].SubLink, nullptr);
  EXPECT_EQ(State.SubQuestionSlots[0].Text, nullptr);
  EXPECT_EQ(State.SubQuestionSlots[1].Text, nullptr);
  EXPECT_EQ(State.QuestionSlots[QuestionSlotCount - 1].Text, nullptr);
  EXPECT_EQ(State.QuestionSlots[QuestionSlotCount - 1].Answers, nullptr);
  // The slots can be used again, and a store filled less far is cleared as well.
  EXPECT_NE(question(5, "again"), nullptr);
  EXPECT_NE(question(QuestionSlotCount - 1, "last again"), nullptr);
  clearQuestionStore();
  EXPECT_EQ(State.QuestionSlots[5].Text, nullptr);
  EXPECT_NE(question(2, "low"), nullptr);
  clearQuestionStore();
  EXPECT_EQ(State.QuestionSlots[2].Text, nullptr);
}

}  // namespace
