#include "format/body_parser.h"

#include <string>

#include "console/console.h"
#include "format/question_store.h"
#include "support/scripted_test.h"

namespace {

// The body as the loader hands it over: text, read position, end, and a 0 byte after it.
class BodyParserTest : public ScriptedTest {
 protected:
  void SetUp() override {
    ScriptedTest::SetUp();
    clearQuestionStore();
  }
  void TearDown() override {
    clearQuestionStore();
    ScriptedTest::TearDown();
  }

  void setBody(const std::string& text) {
    body_ = text;
    State.LineNumber = 0;  // as the header parse leaves it
    State.Body.Text = body_.c_str();
    State.Body.Position = 0;
    State.Body.End = body_.size();
  }
  // Parses a body that must parse; returns what parseQuestions returned.
  int parse(const std::string& text) {
    setBody(text);
    int result = 0;
    EXPECT_EQ(runProgram([&] { result = parseQuestions(); }), NoExit);
    return result;
  }
  // Parses a body that must stop the program after the ENTER pause.
  int parseToExit(const std::string& text) {
    setBody(text);
    console.typeLine("");
    return runProgram([] { parseQuestions(); });
  }
  static std::string syntaxError(int line, const std::string& text, const std::string& message) {
    return "LineNumber: " + std::to_string(line) + " --> Syntax Error - line=\"" + text +
           "\"\n\n" + message + "\n" + PressEnterBanner;
  }

  static const Question& q(int slot) { return State.QuestionSlots[slot]; }
  static std::string text(int slot) { return q(slot).Text ? q(slot).Text : "(none)"; }

  std::string body_;
};

const char* const ExampleBody =
    "; comment lines and the preamble are ignored\n"
    "QUESTIONS 10\n"
    "1. (5 pts) Which number is even?\n"
    "a) 3\n"
    "b) 4\n"
    "&\n"
    "{\n"
    "2. (10 pts) Explain recursion.\n"
    "\\Give an example.\n"
    "3. (10 pts) Explain iteration.\n"
    "}\n"
    "4. Answer both parts.\n"
    "   4.a. (3 pts) First part.\n"
    "   4.b. (2 pts) Second part.\n";

void expectExampleStore() {
  EXPECT_EQ(State.QuestionsParsed, 4);
  EXPECT_EQ(State.QuestionLimit, 10);
  EXPECT_EQ(State.PoolNumber, 2);
  EXPECT_EQ(State.QuestionSlots[0].Text, nullptr);

  const Question& one = State.QuestionSlots[1];
  EXPECT_STREQ(one.Text, "Which number is even?\n a) 3\n b) 4\n");
  EXPECT_EQ(one.Points, 5.0f);
  EXPECT_EQ(one.Pool, 0);
  EXPECT_EQ(one.Flags, FlagChoiceBlock);
  EXPECT_EQ(one.AnswerCount, 1);
  EXPECT_EQ(one.AnswerLength, 2);
  EXPECT_STREQ(firstAnswer(&one), "&");

  const Question& two = State.QuestionSlots[2];
  EXPECT_STREQ(two.Text, "Explain recursion.\n\\Give an example.\n");
  EXPECT_EQ(two.Points, 10.0f);
  EXPECT_EQ(two.Pool, 1);
  EXPECT_EQ(two.Flags, 0);
  EXPECT_EQ(two.AnswerCount, 0);

  const Question& three = State.QuestionSlots[3];
  EXPECT_STREQ(three.Text, "Explain iteration.\n");
  EXPECT_EQ(three.Pool, 1);

  const Question& four = State.QuestionSlots[4];
  EXPECT_STREQ(four.Text, "Answer both parts.");
  EXPECT_EQ(four.Points, -1.0f);
  EXPECT_EQ(four.Pool, 0);
  EXPECT_EQ(four.SubCount, 2);
  const SubQuestion* a = four.SubLink;
  ASSERT_NE(a, nullptr);
  EXPECT_STREQ(a->Text, "First part.");
  EXPECT_EQ(a->Points, 3.0f);
  EXPECT_EQ(a->Flags, FlagSubQuestion | (1 << 2));
  const SubQuestion* b = a->SubLink;
  ASSERT_NE(b, nullptr);
  EXPECT_STREQ(b->Text, "Second part.");
  EXPECT_EQ(b->Points, 2.0f);
  EXPECT_EQ(b->Flags, FlagSubQuestion | (2 << 2));
  EXPECT_EQ(b->SubLink, nullptr);
  EXPECT_EQ(State.SubQuestionsUsed, 2);
  EXPECT_EQ(State.QuestionSlots[5].Text, nullptr);
}

TEST_F(BodyParserTest, ExampleBodyFillsTheStore) {
  EXPECT_EQ(parse(ExampleBody), 0);
  expectExampleStore();
  EXPECT_EQ(all(), "");
}

TEST_F(BodyParserTest, CrLfBodyFillsTheSameStore) {
  std::string crlf;
  for (char c : std::string(ExampleBody)) {
    if (c == '\n')
      crlf += '\r';
    crlf += c;
  }
  EXPECT_EQ(parse(crlf), 0);
  expectExampleStore();
}

TEST_F(BodyParserTest, MissingQuestionsLineIsReportedInRed) {
  setBody("; nothing\n  QUESTIONS 3\n1. (1 pt) q\n");
  console.typeLine("");
  int result = 0;
  EXPECT_EQ(runProgram([&] { result = parseQuestions(); }), NoExit);
  EXPECT_EQ(result, -1);
  const std::string message =
      "Fatal Error - Exam Format Corrupted - Did not find 'QUESTIONS' before end of file.\n\n";
  EXPECT_EQ(err(), message + "\n\n");
  EXPECT_EQ(attributeOf(message), 12);
}

TEST_F(BodyParserTest, QuestionsMarkerFormsSetTheLimit) {
  struct Case {
    const char* Marker;
    int Limit;
  } cases[] = {
      {"QUESTIONS", 65535},   {"QUESTIONS:", 65535},  {"QUESTIONS 0", 65535},
      {"QUESTIONS 5", 5},     {"QUESTIONS: 5", 5},    {"QUESTIONS12", 2},
      {"questions 12", 12},   {"Questions\t 7", 7},   {"QUESTIONS 99999999999", 2147483647},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Marker);
    clearQuestionStore();
    EXPECT_EQ(parse(std::string("preamble\n") + c.Marker + "\n1. (1) q\n"), 0);
    EXPECT_EQ(State.QuestionLimit, c.Limit);
    EXPECT_EQ(State.QuestionsParsed, 1);
  }
}

TEST_F(BodyParserTest, QuestionNumbers) {
  // Numbers need not be in order or unique: each question line takes the next slot.
  EXPECT_EQ(parse("QUESTIONS\n7. (1) a\n7. (2) b\n12345. (3) c\n"), 0);
  EXPECT_EQ(State.QuestionsParsed, 3);
  EXPECT_STREQ(q(1).Text, "a\n");
  EXPECT_STREQ(q(2).Text, "b\n");
  EXPECT_STREQ(q(3).Text, "c");
  EXPECT_EQ(q(3).Points, 3.0f);
}

TEST_F(BodyParserTest, PointsForms) {
  EXPECT_EQ(parse("QUESTIONS\n1. (5 pts) a\n2.(2.5 points)b\n3.   (10.5 pts)   c\n"
                  "4. (1234567890) d\n"),
            0);
  EXPECT_EQ(q(1).Points, 5.0f);
  EXPECT_EQ(q(2).Points, 2.5f);
  EXPECT_STREQ(q(2).Text, "b\n");
  EXPECT_EQ(q(3).Points, 10.5f);
  EXPECT_STREQ(q(3).Text, "c\n");
  EXPECT_EQ(q(4).Points, 1234567890.0f);
}

TEST_F(BodyParserTest, MalformedLinesStopWithTheirLineNumberAndMessage) {
  struct Case {
    const char* Name;
    std::string Body;
    int Line;
    std::string Text;
    const char* Message;
  } cases[] = {
      {"six-digit question number", "QUESTIONS\n123456. (3) c\n", 2, "123456. (3) c",
       "Failed to find '.' after question number.\n"},
      {"question number past 65535", "QUESTIONS\n  65536. (3) c\n", 2, "65536. (3) c",
       "Failed to get question number.\n"},
      {"points word too long", "QUESTIONS\n1. (12.5 points) a\n", 2, "1. (12.5 points) a",
       "No closing parenethesis found after getting points.\n"},
      // The search for ')' stays inside the line.
      {"points unclosed at the line end", "QUESTIONS\n1. (\n", 2, "1. (",
       "No closing parenethesis found after getting points.\n"},
      {"sub-question points too far", "QUESTIONS\n2. Both:\n2.a.     (1) p\n", 3,
       "2.a.     (1) p", "Subquestion with zero points.\n"},
      {"sub-question points unclosed", "QUESTIONS\n2. Both:\n2.a. (1 point each) p\n", 3,
       "2.a. (1 point each) p", "No closing parens around points.\n"},
      {"nested pool", "QUESTIONS\n{\n1. (1) q\n  { again\n", 4, "  { again",
       "Cannot have nested pools of questions.\n\n"},
      {"pool closed without opening", "QUESTIONS\n{\n1. (1) q\n}\n}\n", 5, "}",
       "No set of questions is active, found a close set indicator '}' without an open "
       "'{'.\n\n"},
      // Comment and empty lines count in the line number the instructor is shown.
      {"comment and empty lines before", "; preamble comment\n\nQUESTIONS\n; c\n\r\n1. (1) q\n"
       "1 (1) bad\n", 7, "1 (1) bad", "Failed to find '.' after question number.\n"},
      {"question text past 4095 characters",
       "QUESTIONS\n1. (1) " + std::string(4000, 'q') + "\n\\" + std::string(100, 'c') + "\n", 3,
       "\\" + std::string(100, 'c'), "Error - Question text is longer than 4095 characters.\n"},
      // A text that reaches the limit has no room for the line feed that ends it, whether
      // the next question adds it or an emptied choice block does; both name the
      // question's own line, not the line read when it was found.
      {"question text at 4095 characters before the next question",
       "QUESTIONS\n1. (1) " + std::string(4000, 'q') + "\n\\" + std::string(93, 'c') +
           "\n2. (1) next\n",
       2, "1. (1) " + std::string(4000, 'q'),
       "Error - Question text is longer than 4095 characters.\n"},
      {"choice block emptied by its answer at 4095 characters",
       "QUESTIONS\n; c\n1. (1) " + std::string(4000, 'q') + "\na) " + std::string(90, 'x') +
           "\n&a\n2. (1) next\n",
       3, "1. (1) " + std::string(4000, 'q'),
       "Error - Question text is longer than 4095 characters.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    clearQuestionStore();
    console.takeText();
    EXPECT_EQ(parseToExit(c.Body), -1);
    EXPECT_EQ(console.takeText(), syntaxError(c.Line, c.Text, c.Message));
  }
}

TEST_F(BodyParserTest, SubQuestionLinesVersusNewQuestions) {
  // A question with points does not own 4.a.: that line is a question of its own without
  // points, which collects the lines numbered 4 after it.
  EXPECT_EQ(parse("QUESTIONS\n4. (5 pts) Simple.\n4.a. (3 pts) text\n4.b. (1 pt) more\n"
                  "5. (2) next\n"),
            0);
  EXPECT_EQ(State.QuestionsParsed, 3);
  EXPECT_STREQ(q(1).Text, "Simple.\n");
  EXPECT_STREQ(q(2).Text, "a. (3 pts) text");
  EXPECT_EQ(q(2).Points, -1.0f);
  ASSERT_EQ(q(2).SubCount, 1);
  EXPECT_STREQ(q(2).SubLink->Text, "more");
  EXPECT_STREQ(q(3).Text, "next");
}

TEST_F(BodyParserTest, SubQuestionsTakeContinuationsChoicesAndAnswers) {
  EXPECT_EQ(parse("QUESTIONS\n"
                  "3. Parts:\n"
                  "\\own text\n"
                  "3.x. (1) first\n"
                  "\\more first\n"
                  "   q) yes\n"
                  "   a) no\n"
                  "& 1\n"
                  "3.y. (2) second\n"
                  "! not an answer\n"
                  "6. (1) after\n"),
            0);
  const Question& three = q(1);
  EXPECT_STREQ(three.Text, "Parts:\n\\own text");
  ASSERT_EQ(three.SubCount, 2);
  const SubQuestion* x = three.SubLink;
  EXPECT_STREQ(x->Text, "first\n\\more first\n   q) yes\n   r) no\n");
  EXPECT_EQ(x->Flags, FlagSubQuestion | FlagChoiceBlock | (1 << 2));
  EXPECT_STREQ(firstAnswer(x), "& 1");
  const SubQuestion* y = x->SubLink;
  EXPECT_STREQ(y->Text, "second");
  EXPECT_STREQ(firstAnswer(y), "! not an answer");
  EXPECT_STREQ(q(2).Text, "after");
  EXPECT_EQ(three.AnswerCount, 0);
}

TEST_F(BodyParserTest, ChoicesAndAnswersBeforeTheFirstSubQuestionAreDropped) {
  EXPECT_EQ(parse("QUESTIONS\n2. Both:\na) x\n& y\n2.a. (1) p\n"), 0);
  EXPECT_EQ(err(),
            "Warning! - Q#2 - Found multiple choices without a subquestion: Format "
            "Q#.lowercase. (x pts)\na) x\nQuestion: Both:\n"
            "Warning! - Q#2 - Found (a)n (non)answer without a subquestion: Format "
            "Q#.lowercase. (x pts)\n& y\nQuestion: Both:\n");
  EXPECT_STREQ(q(1).Text, "Both:");
  EXPECT_EQ(q(1).AnswerCount, 0);
  EXPECT_EQ(q(1).SubCount, 1);
}

TEST_F(BodyParserTest, ChoicesAreReletteredAndIndented) {
  EXPECT_EQ(parse("QUESTIONS\n"
                  "1. (1) Pick:\n"
                  "a) one\n"
                  "c) two\n"
                  "   a) three\n"
                  "2. (1) Later:\n"
                  "c) x\n"
                  "c) y\n"
                  "z) w\n"),
            0);
  EXPECT_STREQ(q(1).Text, "Pick:\n a) one\n b) two\n c) three");
  EXPECT_STREQ(q(2).Text, "Later:\n c) x\n d) y\n e) w");
}

TEST_F(BodyParserTest, ContinuationAndOtherLinesInsideAChoiceBlock) {
  EXPECT_EQ(parse("QUESTIONS\n"
                  "1. (1) Pick:\n"
                  "a) x\n"
                  "\\more\n"
                  "Capital line\n"
                  "0 zero\n"
                  "      \n"
                  "b) y\n"
                  "& b\n"
                  "! note\n"),
            0);
  EXPECT_STREQ(q(1).Text, "Pick:\n a) x    more\n b) y\n");
  EXPECT_EQ(q(1).AnswerCount, 2);
  EXPECT_EQ(std::string(q(1).Answers, q(1).AnswerLength), std::string("& b\0! note\0", 11));
}

TEST_F(BodyParserTest, ChoicesAfterAnAnswerOfTheSameBlockStayInTheText) {
  EXPECT_EQ(parse("QUESTIONS\n1. (1) Pick:\na) x\n&\nb) y\n\\cont\n"), 0);
  EXPECT_STREQ(q(1).Text, "Pick:\n a) x\n b) y    cont");
  EXPECT_STREQ(firstAnswer(&q(1)), "&");
}

TEST_F(BodyParserTest, ChoiceBlockTooLongStops) {
  std::string choice = "a) " + std::string(4000, 'x') + "\n";
  EXPECT_EQ(parseToExit("QUESTIONS\n1. (1) q\n" + choice + "b) " + std::string(100, 'y') + "\n"),
            -1);
  EXPECT_EQ(err(), "Error - Multiple Choice Answer is too long for the buffer. Line:b) " +
                       std::string(100, 'y') + "\n\n" + PressEnterBanner);

  clearQuestionStore();
  console.takeText();
  EXPECT_EQ(parseToExit("QUESTIONS\n1. (1) q\n" + choice + "\\" + std::string(100, 'y') + "\n"),
            -1);
  EXPECT_EQ(console.takeText(),
            "Error - Multiple Choice continuation question is too long for the buffer. Line: " +
                std::string(100, 'y') + "\n\n" + PressEnterBanner);
}

TEST_F(BodyParserTest, AnswersAndContinuationsOutsideQuestionsAreDropped) {
  EXPECT_EQ(parse("QUESTIONS\n  & lost\n\\cont\na) pick\n1. (1) q\n& kept\n"), 0);
  EXPECT_EQ(err(),
            "Error - Found an answer without a question! line=& lost\n\n"
            "Error - Found a continuation line without a question! line=\\cont\n\n"
            "Error - Found multiple choices without a question! line=a) pick\n\n");
  EXPECT_EQ(State.QuestionsParsed, 1);
  EXPECT_STREQ(firstAnswer(&q(1)), "& kept");
}

TEST_F(BodyParserTest, BlockCommentsHideWholeLines) {
  EXPECT_EQ(parse("QUESTIONS\n"
                  "1. (1) a /* not a comment */\n"
                  "   /* opened\n"
                  "2. (1) hidden\n"
                  "{\n"
                  "end */ 3. (1) also hidden\n"
                  "/* one line */\n"
                  "/**/ 4. (1) hidden too\n"
                  "5. (2) seen\n"),
            0);
  EXPECT_EQ(State.QuestionsParsed, 2);
  EXPECT_STREQ(q(1).Text, "a /* not a comment */\n");
  EXPECT_STREQ(q(2).Text, "seen");
  EXPECT_EQ(State.PoolMarks[1], 0);
}

TEST_F(BodyParserTest, BlockCommentsInsideSubQuestionsAndChoiceBlocks) {
  EXPECT_EQ(parse("QUESTIONS\n1. Parts\n/*\n1.a. (1) hidden\n*/\n1.b. (1) shown\nb) x\n"
                  "/* 2. (1) hidden\n*/\nc) y\n/* unterminated\n"),
            0);
  ASSERT_EQ(q(1).SubCount, 1);
  EXPECT_STREQ(q(1).SubLink->Text, "shown\n   b) x\n   c) y");
}

TEST_F(BodyParserTest, PoolsUpTo255) {
  std::string body = "QUESTIONS\n";
  for (int k = 0; k < 255; ++k)
    body += "{\n1. (1) q\n}\n";
  EXPECT_EQ(parse(body), 0);
  EXPECT_EQ(State.QuestionsParsed, 255);
  EXPECT_EQ(q(1).Pool, 1);
  EXPECT_EQ(q(255).Pool, 255);
  EXPECT_EQ(State.PoolNumber, 0);

  clearQuestionStore();
  EXPECT_EQ(parseToExit(body + "{\n"), -1);
  EXPECT_EQ(err(), syntaxError(767, "{",
                               "Exceeded maximum number of POOLS which is limited to 255.\n\n"));
}

TEST_F(BodyParserTest, PoolBracketsEndSubQuestionsAndChoiceBlocks) {
  EXPECT_EQ(parse("QUESTIONS\n1. (1) q\na) x\n{\n2. Parts\n2.a. (1) s\n}\n3. (1) out\n{\n"), 0);
  EXPECT_STREQ(q(1).Text, "q\n a) x");
  EXPECT_EQ(q(1).Pool, 0);
  EXPECT_EQ(q(2).Pool, 1);
  EXPECT_EQ(q(2).SubLink->Pool, 1);
  EXPECT_EQ(q(3).Pool, 0);
  EXPECT_EQ(State.PoolNumber, 2);
  EXPECT_EQ(State.PoolMarks[2], 2);  // a pool still open at the end is not an error
}

TEST_F(BodyParserTest, BodyEndingInsideEachContext) {
  EXPECT_EQ(parse("QUESTIONS"), 0);
  EXPECT_EQ(State.QuestionsParsed, 0);

  struct Case {
    const char* Name;
    const char* Body;
    const char* Text;
    const char* SubText;  // nullptr: no sub-question
    const char* Answer;
  } cases[] = {
      {"question", "QUESTIONS\n1. (1) q", "q", nullptr, ""},
      {"question with parts", "QUESTIONS\n1. Parts", "Parts", nullptr, ""},
      {"sub-question", "QUESTIONS\n1. Parts\n1.a. (2) s", "Parts", "s", ""},
      {"sub-question's choices", "QUESTIONS\n1. Parts\n1.a. (2) s\na) x", "Parts", "s\n   a) x",
       ""},
      {"choice block's answers", "QUESTIONS\n1. (1) q\na) x\n& y", "q\n a) x\n", nullptr, "& y"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    clearQuestionStore();
    EXPECT_EQ(parse(c.Body), 0);
    EXPECT_STREQ(q(1).Text, c.Text);
    if (c.SubText) {
      ASSERT_NE(q(1).SubLink, nullptr);
      EXPECT_STREQ(q(1).SubLink->Text, c.SubText);
    } else {
      EXPECT_EQ(q(1).SubLink, nullptr);
    }
    EXPECT_STREQ(firstAnswer(&q(1)), c.Answer);
  }
}

TEST_F(BodyParserTest, NulByteEndsTheBody) {
  EXPECT_EQ(parse(std::string("QUESTIONS\n1. (1) q\n\0" "2. (1) r\n", 29)), 0);
  EXPECT_EQ(State.QuestionsParsed, 1);
}

TEST_F(BodyParserTest, QuestionLimitOf1023) {
  std::string body = "QUESTIONS\n";
  for (int k = 0; k < 1023; ++k)
    body += "1. (1) q\n";
  EXPECT_EQ(parse(body), 0);
  EXPECT_EQ(State.QuestionsParsed, 1023);
  EXPECT_NE(q(1023).Text, nullptr);

  clearQuestionStore();
  EXPECT_EQ(parseToExit(body + "1. (1) one too many\n"), -1);
  EXPECT_EQ(err(),
            std::string("You have used 1024 Questions which is greater than the max! Program "
                        "needs adjustment.\n\n") +
                PressEnterBanner);
}

TEST_F(BodyParserTest, SubQuestionLimitOf2048) {
  std::string body = "QUESTIONS\n";
  for (int n = 1; n <= 32; ++n) {
    std::string number = std::to_string(n);
    body += number + ". Parts\n";
    for (int k = 0; k < 63; ++k)
      body += number + ".a. (1) s\n";
  }
  body += "33. Parts\n";
  for (int k = 0; k < 32; ++k)
    body += "33.a. (1) s\n";
  EXPECT_EQ(parse(body), 0);
  EXPECT_EQ(State.SubQuestionsUsed, 2048);

  clearQuestionStore();
  EXPECT_EQ(parseToExit(body + "33.z. (1) one too many\n"), -1);
  EXPECT_EQ(err(), "You have used 2048 sub-questions! Program needs adjustment.\n\n"
                   "newSubQuestion1\n\n");
}

TEST_F(BodyParserTest, SixtyThreeSubQuestionsInAQuestion) {
  std::string body = "QUESTIONS\n1. Parts\n";
  for (int k = 0; k < 63; ++k)
    body += "1.a. (1) s\n";
  EXPECT_EQ(parse(body), 0);
  EXPECT_EQ(q(1).SubCount, 63);
  const SubQuestion* last = q(1).SubLink;
  while (last->SubLink)
    last = last->SubLink;
  EXPECT_EQ(last->Flags >> 2, 63);

  clearQuestionStore();
  EXPECT_EQ(parseToExit(body + "1.b. (1) one too many\n"), -1);
  EXPECT_EQ(err(), syntaxError(66, "1.b. (1) one too many",
                               "Exceeded maximum number of subquestions in one question which is "
                               "limited to 63.\n"));
}

TEST_F(BodyParserTest, LongLinesComeInPieces) {
  // A 4,098-character question line: its first 4,095 characters are the question line,
  // the rest comes as a line of its own (ignored here: it starts with a capital).
  std::string line = "1. (1) " + std::string(4088, 'Q') + "ZZZ";
  EXPECT_EQ(parse("QUESTIONS\n" + line + "\n"), 0);
  EXPECT_EQ(strlen(q(1).Text), 4088u);
}

TEST_F(BodyParserTest, ReadTextLineSplitsAtCapacityNulAndLineFeed) {
  setBody(std::string("abcdef\nxy\0z", 11));
  char buffer[5];
  readTextLine(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "abcd");
  readTextLine(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "ef\n");
  readTextLine(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "xy");
  readTextLine(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "z");
  readTextLine(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "");
}

// What the parser tells an observer: every line the reader takes, once, in order, with
// what it became and where it lies; a line that belongs to nothing is told, not printed.
class LineLog : public BodyObserver {
 public:
  void lineTaken(const BodyLine& line) override {
    static const char* const Names[] = {"skipped",  "preamble",  "questions", "comment",
                                        "open",     "close",     "question",  "sub",
                                        "continue", "choice",    "answer",    "dropped",
                                        "key",      "ignored"};
    Log += std::to_string(line.Number) + " " + Names[static_cast<int>(line.Kind)];
    if (line.Record && (line.Record->Flags & FlagSubQuestion))
      Log += " sub@" + std::to_string(line.Record - State.SubQuestionSlots);
    else if (line.Record)
      Log += " @" + std::to_string(line.Record - State.QuestionSlots);
    Log += "\n";
    Spans += line.Begin == End ? "" : "gap at " + std::to_string(line.Begin) + "\n";
    End = line.End;
  }
  std::string Log, Spans;
  size_t End = 0;
};

TEST_F(BodyParserTest, AnObserverIsToldOfEveryLineOnce) {
  const std::string text =
      "; comment\n"
      "preamble\n"
      "QUESTIONS\n"
      "1. (2 pts) One?\n"
      "\\more\n"
      "a) x\n"
      "Capital\n"
      "= a\n"
      "&a\n"
      "\n"
      "{\n"
      "2. Parts.\n"
      "b) dropped\n"
      "   2.a. (1 pts) A.\n"
      "   = 1\n"
      "}\n"
      "/* hidden\n"
      "3. (1 pts) hidden\n"
      "*/\n"
      "3. (1 pts) Last.";
  LineLog log;
  setBody(text);
  EXPECT_EQ(runProgram([&] { parseQuestions(&log); }), NoExit);
  EXPECT_EQ(log.Log,
            "1 skipped\n2 preamble\n3 questions\n4 question @1\n5 continue @1\n6 choice @1\n"
            "7 ignored\n8 key\n9 answer @1\n10 skipped\n11 open\n12 question @2\n13 dropped\n"
            "14 sub sub@0\n15 key\n16 close\n17 comment\n18 comment\n19 comment\n"
            "20 question @3\n");
  EXPECT_EQ(log.Spans, "");
  EXPECT_EQ(log.End, text.size());
  EXPECT_EQ(all(), "");  // the dropped choice is the observer's to report
  EXPECT_EQ(ParseWatch.Observer, nullptr);
}

}  // namespace
