#include "format/exam_text_check.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "author_new_text.h"
#include "format/exam_text_parse.h"
#include "format/question_store.h"
#include "support/scripted_test.h"

namespace {

const std::string Header =
    ";Fall 2026;  CS 101: Intro: (001) ---> Exam 1:  TimeLimit: 30 minutes  ---  "
    "Version 1.07\n";

// Every kind of line, with SECRET in each that students must never get: the preamble,
// comment lines, block comments, the key, lines of no kind and the notes after the
// QUESTIONS count and on pool brackets.
const std::string EveryKindOfLine =
    "SECRET preamble: the answers are below.\n"
    "; SECRET comment line\n"
    "QUESTIONS 4   SECRET note on the count\n"
    "1. (2 pts) What does a compiler do?\n"
    "\\Answer in one sentence.\n"
    "= *translat*SECRET\n"
    "\n"
    "2. (1 pts) Which is prime?\n"
    "a) 21\n"
    "b) 29\n"
    "  ; SECRET: not in column 0, so a line of no kind\n"
    "= b\n"
    "&b\n"
    "{ SECRET pool note\n"
    "3. (4 pts) Pool one.\n"
    "4. (4 pts) Pool two.\n"
    "} SECRET\n"
    "5. Parts.\n"
    "\\More of question 5.\n"
    "   5.a. (1 pts) Part a.\n"
    "   = 50% 3 +- 0.5\n"
    "   a) yes\n"
    "   b) no\n"
    "   &a\n"
    "   5.b. (2 pts) Part b.\n"
    "   \\continued\n"
    "/* SECRET block\n"
    "6. (9 pts) SECRET hidden question\n"
    "*/ SECRET after the close\n"
    "/* SECRET one-line */\n"
    "7. (3 pts) Last.\n"
    "!not an answer\n";

std::string crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += '\r';
    out += c;
  }
  return out;
}

std::string sourceFile(const std::string& name) {
  std::ifstream file(std::string(VERITOR_SOURCE_DIR) + "/" + name, std::ios::binary);
  std::stringstream all;
  all << file.rdbuf();
  return all.str();
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

class ExamTextCheckTest : public ScriptedTest {
 protected:
  // The notes on text (a header line and a body), as make prints them.
  std::string notesOn(const std::string& text) {
    ExamTextCheck check(text);
    ExamTextParse parse = parseExamText(text, &check);
    EXPECT_TRUE(parse.Read) << parse.Messages;
    EXPECT_EQ(parse.Messages, "");
    check.finish();
    clearQuestionStore();
    std::string printed;
    for (const TextNote& note : check.notes())
      printed += std::to_string(note.LineNumber) + (note.Refusal ? ": error: " : ": warning: ") +
                 note.Message + "\n";
    return printed;
  }
};

// The exam file holds none of the lines veritor does not use, an empty line in place of
// each, and veritor's parse of what it holds fills the store exactly as the whole text
// does: the same questions, points, choices, answers, pools and limit.
TEST_F(ExamTextCheckTest, InstructorOnlyLinesNeverReachTheExamFile) {
  const std::vector<std::string> texts = {
      sourceFile("samples/DemoExam.txt"), newExamText(exampleHeaderFields()),
      Header + EveryKindOfLine,           crlf(Header + EveryKindOfLine),
      EveryKindOfLine,  // with the header given as options, the whole text is the body
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 60));
    ExamTextCheck check(text);
    ExamTextParse full = parseExamText(text, &check);
    ASSERT_TRUE(full.Read) << full.Messages;
    const std::string store = describeQuestionStore();
    const std::string& body = check.studentBody();

    EXPECT_EQ(body.find("SECRET"), std::string::npos) << body;
    EXPECT_EQ(body.find(';'), std::string::npos) << body;
    EXPECT_EQ(body.find('='), std::string::npos) << body;
    // Line for line: each is the text's own, or empty, so veritor numbers lines as the
    // text does.
    std::vector<std::string> written = linesOf(text), held = linesOf(body);
    ASSERT_EQ(held.size(), written.size());
    for (size_t k = 0; k < held.size(); ++k) {
      if (held[k].empty() || held[k] == written[k])
        continue;
      bool bracket = (held[k] == "{" || held[k] == "}") &&
                     written[k].find(held[k]) != std::string::npos;
      EXPECT_TRUE(bracket || held[k].rfind("QUESTIONS", 0) == 0)
          << "line " << k + 1 << ": " << held[k];
    }

    ExamTextParse again = parseExamText(body, nullptr);
    ASSERT_TRUE(again.Read) << again.Messages;
    EXPECT_EQ(again.Messages, "");
    EXPECT_EQ(describeQuestionStore(), store);
  }
  // The rewritten QUESTIONS line keeps the count.
  EXPECT_NE(describeQuestionStore().find(" limit 4 "), std::string::npos);
}

// Each mistake that veritor takes without a word, named at the text's own line: a
// refusal where the exam would differ from the text, a warning where it may.
TEST_F(ExamTextCheckTest, MistakesAreNamedAtTheTextsOwnLines) {
  struct Case {
    std::string Body;  // after the header line and "QUESTIONS"
    std::string Notes;
  };
  const Case cases[] = {
      {"1. (2 pts) Which is prime?\nA) 21\na) 29\n",
       "4: warning: veritor passes over this line: a choice begins with a small letter (\"a) "
       "...\"); begin the line with ';' if it is a note\n"},
      {"(a) 21\n1. (1 pts) One.\n",
       "3: warning: veritor passes over this line: a choice begins with a small letter (\"a) "
       "...\"); begin the line with ';' if it is a note\n"},
      {"Q1. (2 pts) What is 2+2?\n2. (1 pts) Two.\nQuestion 3: why?\n01. Zero-padded.\n",
       "3: warning: veritor passes over this line: a question line begins with its number "
       "(\"1. (2 pts) ...\"); begin the line with ';' if it is a note\n"
       "5: warning: veritor passes over this line: a question line begins with its number "
       "(\"1. (2 pts) ...\"); begin the line with ';' if it is a note\n"
       "6: warning: veritor passes over this line: a question line begins with its number "
       "(\"1. (2 pts) ...\"); begin the line with ';' if it is a note\n"},
      {"1. (1 pts) One.\nNotes are fine here.\nBonus (2 pts) extra.\n",
       "5: warning: veritor passes over this line: a question line begins with its number "
       "(\"1. (2 pts) ...\"); begin the line with ';' if it is a note\n"},
      {"{\n1. (2 pts) One.\n2. (2 pts) Two.\n3. (2 pts) Three.\n",
       "3: error: this pool is never closed: no '}' follows, so every question after it is "
       "in the pool and each student is asked only one of them\n"},
      {"1. (2 pts) One.\n/* kept for next term\n2. (2 pts) Two.\n",
       "4: error: this block comment is never closed: no \"*/\" follows, so veritor hides "
       "every line after it\n"},
      {"1. (two pts) One.\n2. Parts.\n   2.a. (a few) A.\n3. (-1 pts) Three.\n4. (-2) Four.\n",
       "3: warning: the points \"(two pts)\" do not begin with a number, so veritor counts "
       "this question as worth 0 points\n"
       "5: warning: the points \"(a few)\" do not begin with a number, so veritor counts this "
       "sub-question as worth 0 points\n"
       "6: warning: the points \"(-1 pts)\" read as -1, which veritor takes for a question "
       "without points of its own\n"
       "6: warning: question 3 has neither points nor sub-questions; veritor asks it all the "
       "same and counts it as -1 point in the exam's total\n"
       "7: warning: the points \"(-2)\" are not a number of points from 0 up\n"},
      {"{\n1. (2 pts) One.\n2. (5 pts) Two.\n3. Parts.\n   3.a. (2 pts) A.\n}\n{\n}\n",
       "5: warning: this question is worth 5 points and the first of its pool (line 4) 2: "
       "each student is asked one of them, and the exam's total counts 2\n"
       "9: warning: this pool holds no question\n"},
      {"1. Nothing follows.\n2. (1 pts) Two.\n3. Last, nothing either.\n",
       "3: warning: question 1 has neither points nor sub-questions; veritor asks it all the "
       "same and counts it as -1 point in the exam's total\n"
       "5: warning: question 3 has neither points nor sub-questions; veritor asks it all the "
       "same and counts it as -1 point in the exam's total\n"},
      {"1. (2 pts) Caf\xC3\xA9 au lait?\na) caf\xC3\xA9\n\\\tna\xC3\xAFve\n",
       "3: warning: column 15 holds a character outside ASCII, which students are shown as a "
       "blank\n"
       "4: warning: column 7 holds a character outside ASCII, which students are shown as a "
       "blank\n"
       "5: warning: column 5 holds a character outside ASCII, which students are shown as a "
       "blank\n"},
      {"a) before any question\n&an answer\n\\more\n1. Parts.\nb) too early\n   1.a. (1 pts) A.\n",
       "3: warning: this choice follows no question, so veritor drops it\n"
       "4: warning: this answer line follows no question, so veritor drops it\n"
       "5: warning: this continuation line follows no question, so veritor drops it\n"
       "7: warning: this choice comes before the first sub-question of question 1, so "
       "veritor drops it: a question without points takes its choices and answers after a "
       "sub-question line\n"},
      {"4. (3 pts) Both parts.\n4.a. (1 pts) First.\n4.b. (2 pts) Second.\n",
       "4: warning: question 4 has points of its own, so this line is not its sub-question "
       "but a new question without points; to give question 4 sub-questions, take the "
       "points off its own line (line 3)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Body);
    EXPECT_EQ(notesOn(Header + "QUESTIONS\n" + c.Body), c.Notes);
  }
  // A key letter that is none of the question's choices.
  EXPECT_EQ(notesOn(Header + "QUESTIONS\n1. (1 pts) Which?\na) x\nb) y\n= B\n= c\n"),
            "7: warning: the key 'c' is not one of the choices of question 1 (ab)\n");
  // The QUESTIONS line's own slips.
  EXPECT_EQ(notesOn(Header + "QUESTIONS12\n1. (1 pts) One.\n"),
            "2: warning: the character after \"QUESTIONS\" is passed unread, so veritor reads "
            "the count as 2; write a blank before the count\n");
  EXPECT_EQ(notesOn(Header + "Questions 1-3 come from chapter 2\n1. (1 pts) One.\n"),
            "2: warning: veritor reads only the count of the QUESTIONS line and passes over "
            "the rest, \"-3 come from chapter 2\"\n");
  // A text without a slip has nothing to say.
  EXPECT_EQ(notesOn(Header + EveryKindOfLine.substr(EveryKindOfLine.find("1. "))
                                 .insert(0, "QUESTIONS\n")),
            "");
}

// A line longer than veritor's buffer would be read as two: named with the text's own
// number, and the lines after it keep theirs.
TEST_F(ExamTextCheckTest, LinesTooLongForVeritorAreRefusedWhereTheyStand) {
  std::string text = Header + "QUESTIONS\n1. (1 pts) One.\nNote: " + std::string(4100, 'x') +
                     "\n2. (1 pts) Two.\n{\n";
  EXPECT_EQ(notesOn(text),
            "4: error: this line has 4106 characters; veritor reads at most 4095 of a line and "
            "would read the rest as a line of its own\n"
            "6: error: this pool is never closed: no '}' follows, so every question after it "
            "is in the pool and each student is asked only one of them\n");
  ExamTextCheck check(std::string("QUESTIONS\n1. (1 pts) One\0two\n", 29));
  ASSERT_EQ(check.notes().size(), 1u);
  EXPECT_EQ(check.notes()[0].LineNumber, 2);
  EXPECT_EQ(check.notes()[0].Message,
            "this line holds a NUL character, where veritor would end the exam text");
}

}  // namespace
