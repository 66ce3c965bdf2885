#include "format/answer_key.h"

#include <string>

#include "author_new_text.h"
#include "support/scripted_test.h"

namespace {

class AnswerKeyTest : public ScriptedTest {};

// Each form keeps exactly what the instructor wrote: the text as written (wildcards,
// letter case and inner blanks included), the number and tolerance, the credit.
TEST_F(AnswerKeyTest, KeyLinesKeepWhatTheInstructorWrote) {
  struct Case {
    const char* Line;
    int Percent;
    KeyForm Form;
    const char* Text;
    double Value, Tolerance;
  };
  const Case cases[] = {
      {"= b", 100, KeyForm::Text, "b", 0, 0},
      {"   =   Photo*Synthesis  of  light   ", 100, KeyForm::Text, "Photo*Synthesis  of  light",
       0, 0},
      {"= 50% photo*synthesis", 50, KeyForm::Text, "photo*synthesis", 0, 0},
      {"= 3.5 +- 0.1", 100, KeyForm::Number, "", 3.5, 0.1},
      {"=3.5+-0.1", 100, KeyForm::Number, "", 3.5, 0.1},
      {"= -12", 100, KeyForm::Number, "", -12, 0},
      {"= +.5", 100, KeyForm::Number, "", 0.5, 0},
      {"= 1% 42 +- 2", 1, KeyForm::Number, "", 42, 2},
      {"= 100% 7", 100, KeyForm::Number, "", 7, 0},
      // Not a number alone: a text answer that begins with digits.
      {"= 42 apples", 100, KeyForm::Text, "42 apples", 0, 0},
      {"= 1e3", 100, KeyForm::Text, "1e3", 0, 0},
      // A percentage with nothing after it is the answer itself.
      {"= 50%", 100, KeyForm::Text, "50%", 0, 0},
      {"= 50 % x", 100, KeyForm::Text, "50 % x", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    KeyAnswer answer;
    std::string error;
    ASSERT_TRUE(parseKeyLine(c.Line, &answer, &error)) << error;
    EXPECT_EQ(answer.Percent, c.Percent);
    EXPECT_EQ(answer.Form, c.Form);
    EXPECT_EQ(answer.Text, c.Text);
    EXPECT_EQ(answer.Value, c.Value);
    EXPECT_EQ(answer.Tolerance, c.Tolerance);
  }
}

TEST_F(AnswerKeyTest, KeyLinesTheGraderDidNotMeanAreRefused) {
  struct Case {
    const char* Line;
    const char* Error;
  };
  const Case cases[] = {
      {"= 150% x", "the credit 150% is not from 1% to 100%"},
      {"= 0% x", "the credit 0% is not from 1% to 100%"},
      {"= 00050% x", "the credit 00050% is not from 1% to 100%"},
      {"= 3.5 +- 0.1x", "the tolerance \"0.1x\" is not a number"},
      {"= 3.5 +-", "the tolerance \"\" is not a number"},
      {"= 3.5 +- -1", "the tolerance \"-1\" is below 0"},
      {"=", "the key line gives no answer after its '='"},
      {"=    ", "the key line gives no answer after its '='"},
  };
  for (const Case& c : cases) {
    KeyAnswer answer;
    std::string error;
    EXPECT_FALSE(parseKeyLine(c.Line, &answer, &error)) << c.Line;
    EXPECT_EQ(error, c.Error) << c.Line;
  }
}

const char* const KeyedExam =
    ";Fall 2026;  CS 101: Intro: (001) ---> Exam 1:  TimeLimit: 30 minutes  ---  Version 1.07\n"
    "= in the preamble: not a key\n"
    "QUESTIONS\n"
    "1. (2 pts) Free text, marked by hand.\n"
    "2. (1 pts) Which is prime?\n"
    "= c\n"
    "c) 21\n"
    "x) 29\n"
    "; a comment between\n"
    "= d\n"
    "{\n"
    "3. (4 pts) Pool one.\n"
    "= 50% *variable*\n"
    "4. (4 pts) Pool two.\n"
    "}\n"
    "5. Parts.\n"
    "   5.a. (1.5 pts) A number.\n"
    "   = 3.5 +- 0.1\n"
    "   = 50% 3.5 +- 1\n"
    "   5.b. (2 pts) A choice.\n"
    "   a) yes\n"
    "   b) no\n"
    "   &a\n"
    "   = b\n"
    "/*\n"
    "= hidden\n"
    "*/\n"
    "6. Worth nothing, asked all the same.\n"
    "7. (-1 pts) Read as no points, so it takes sub-questions.\n"
    "7.a. (2 pts) A.\n";

// Every question and sub-question, numbered as the completed file numbers them, with its
// points, choices, pool and key lines.
TEST_F(AnswerKeyTest, TheKeyOfAWholeText) {
  ExamKey key;
  std::string error;
  ASSERT_TRUE(readExamKey(KeyedExam, &key, &error)) << error;
  ASSERT_EQ(key.Items.size(), 8u);
  const KeyedItem* item = key.Items.data();
  EXPECT_EQ(item[0].Number, "1");
  EXPECT_EQ(item[0].Points, 2);
  EXPECT_TRUE(item[0].Answers.empty());
  EXPECT_EQ(item[0].LineNumber, 4);

  EXPECT_EQ(item[1].Number, "2");
  EXPECT_TRUE(item[1].Choice);
  EXPECT_EQ(item[1].Letters, "cd");  // relettered in sequence from the first
  ASSERT_EQ(item[1].Answers.size(), 2u);
  EXPECT_EQ(item[1].Answers[0].Text, "c");
  EXPECT_EQ(item[1].Answers[0].LineNumber, 6);
  EXPECT_EQ(item[1].Answers[1].Text, "d");
  EXPECT_EQ(item[1].Answers[1].LineNumber, 10);

  EXPECT_EQ(item[2].Number, "3");
  EXPECT_EQ(item[2].Pool, 1);
  ASSERT_EQ(item[2].Answers.size(), 1u);
  EXPECT_EQ(item[2].Answers[0].Percent, 50);
  EXPECT_EQ(item[3].Number, "4");
  EXPECT_EQ(item[3].Pool, 1);
  EXPECT_TRUE(item[3].Answers.empty());

  EXPECT_EQ(item[4].Number, "5.a");
  EXPECT_EQ(item[4].Points, 1.5);
  EXPECT_FALSE(item[4].Choice);
  ASSERT_EQ(item[4].Answers.size(), 2u);
  EXPECT_EQ(item[4].Answers[1].Percent, 50);
  EXPECT_EQ(item[4].Answers[1].Tolerance, 1);
  EXPECT_EQ(item[5].Number, "5.b");
  EXPECT_EQ(item[5].Letters, "ab");
  ASSERT_EQ(item[5].Answers.size(), 1u);
  EXPECT_EQ(item[5].Answers[0].LineNumber, 24);

  EXPECT_EQ(item[6].Number, "6");
  EXPECT_EQ(item[6].Points, 0);
  EXPECT_EQ(item[6].Pool, 0);
  EXPECT_EQ(item[7].Number, "7.a");

  // Without its header line the text is the same exam, one line higher.
  std::string body = KeyedExam;
  ASSERT_TRUE(readExamKey(body.substr(body.find('\n') + 1), &key, &error)) << error;
  EXPECT_EQ(key.Items[1].Answers[1].LineNumber, 9);
}

// A key line that goes to nothing, or that cannot be read, is refused with its line;
// so is a text veritor itself would refuse.
TEST_F(AnswerKeyTest, RefusalsNameTheLine) {
  const std::string top = "QUESTIONS\n";
  struct Case {
    std::string Text;
    std::string Error;
  };
  const Case cases[] = {
      {top + "= before any question\n1. (1 pts) One.\n",
       "line 2: this key line follows no question or sub-question (a key line goes right "
       "after the lines of its question)"},
      {top + "{\n1. (1 pts) One.\n}\n= after the pool\n",
       "line 5: this key line follows no question or sub-question (a key line goes right "
       "after the lines of its question)"},
      {top + "4. Parts.\n= for the whole\n   4.a. (1 pts) A.\n",
       "line 3: question 4 has no points of its own: give the key after each of its "
       "sub-questions"},
      {top + "1. (1 pts) One.\n= 150% x\n", "line 3: the credit 150% is not from 1% to 100%"},
      {top + "1. (1 pts) One.\n= 2 +- two\n", "line 3: the tolerance \"two\" is not a number"},
      {top + "1. (1 pts One.\n", "line 2: No closing parenethesis found after getting points."},
      {"1. (1 pts) One.\n", "the exam text has no QUESTIONS line"},
  };
  for (const Case& c : cases) {
    ExamKey key;
    std::string error;
    EXPECT_FALSE(readExamKey(c.Text, &key, &error)) << c.Text;
    EXPECT_EQ(error, c.Error) << c.Text;
  }
}

// new's template shows a key line for each kind of question, and reads as it says.
TEST_F(AnswerKeyTest, TheTemplateOfNewHasAKeyForEachKindOfQuestion) {
  ExamKey key;
  std::string error;
  ASSERT_TRUE(readExamKey(newExamText(exampleHeaderFields()), &key, &error)) << error;
  ASSERT_EQ(key.Items.size(), 7u);
  EXPECT_TRUE(key.Items[0].Answers.empty());  // marked by hand
  EXPECT_EQ(key.Items[1].Answers.at(0).Text, "c");
  ASSERT_EQ(key.Items[2].Answers.size(), 2u);
  EXPECT_EQ(key.Items[2].Answers[1].Percent, 50);
  EXPECT_EQ(key.Items[2].Answers[1].Text, "*quick brown fox jumped*");
  EXPECT_EQ(key.Items[5].Number, "6.a");
  EXPECT_EQ(key.Items[5].Answers.at(0).Form, KeyForm::Number);
  EXPECT_EQ(key.Items[6].Answers.at(0).Tolerance, 0.01);
}

}  // namespace
