#include "author_new_text.h"

#include <string>

#include "examfile/exam_loader.h"
#include "format/body_parser.h"
#include "format/exam_header.h"
#include "format/exam_text_check.h"
#include "format/exam_text_parse.h"
#include "format/question_store.h"
#include "support/scripted_test.h"

namespace {

class NewExamTextTest : public ScriptedTest {
 protected:
  void TearDown() override {
    clearQuestionStore();
    ScriptedTest::TearDown();
  }
};

// The text that new writes loads in veritor's own parser without a word, and every
// example in it lands in the store as its comment says.
TEST_F(NewExamTextTest, ExampleParsesIntoTheStoreItsCommentsDescribe) {
  std::string text = newExamText(exampleHeaderFields());
  size_t lineEnd = text.find('\n');
  std::string header = text.substr(0, lineEnd + 1);
  std::string body = text.substr(lineEnd + 1);
  EXPECT_TRUE(diagnoseExamHeader(text.substr(0, lineEnd)).Faults.empty());

  int parsed = -1;
  ASSERT_EQ(runProgram([&] {
              clearQuestionStore();
              parseExamHeader(header.data());
              State.Body.Text = body.c_str();
              State.Body.Position = 0;
              State.Body.End = body.size();
              parsed = parseQuestions();
            }),
            NoExit);
  EXPECT_EQ(parsed, 0);
  EXPECT_EQ(all(), "");  // no warning either
  EXPECT_STREQ(State.Header.CourseName, "Introduction to Programming");
  EXPECT_EQ(State.Header.TimeLimit, 60u);

  EXPECT_EQ(State.QuestionsParsed, 6);  // question 7 is inside the block comment
  EXPECT_EQ(State.QuestionLimit, 65535);
  const Question* q = State.QuestionSlots;
  EXPECT_STREQ(q[1].Text, "What does a compiler do?\n\\Answer in one or two sentences.\n");
  EXPECT_EQ(q[1].Points, 2.0f);
  EXPECT_STREQ(q[2].Text, "Which of these numbers is prime?\n a) 21\n b) 27\n c) 29\n d) 33");
  EXPECT_EQ(q[2].Flags, FlagChoiceBlock);
  EXPECT_EQ(q[3].AnswerCount, 1);
  EXPECT_STREQ(q[3].Answers, "&Teh quick brown fox jumpd over the lazy dog.");
  for (int slot = 1; slot <= 6; ++slot)
    EXPECT_EQ(q[slot].Pool, slot == 4 || slot == 5 ? 1 : 0) << slot;
  EXPECT_EQ(q[6].Points, -1.0f);
  ASSERT_EQ(q[6].SubCount, 2);
  EXPECT_STREQ(q[6].SubLink->Text, "What is 12 divided by 5?");
  EXPECT_EQ(q[6].SubLink->SubLink->Points, 2.0f);
  EXPECT_EQ(q[7].Text, nullptr);

  countQuestionsAndPoints();
  EXPECT_EQ(State.QuestionCount, 6);  // one from the pool, two sub-questions
  EXPECT_EQ(State.TotalPoints, 13.0f);

  // Nor has make a word to say: the template is an example to follow.
  ExamTextCheck check(text);
  ASSERT_TRUE(parseExamText(text, &check).Read);
  check.finish();
  for (const TextNote& note : check.notes())
    ADD_FAILURE() << note.LineNumber << ": " << note.Message;
}

}  // namespace
