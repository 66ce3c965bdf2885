#include "session/question_order.h"

#include <cstring>
#include <set>
#include <string>

#include "examfile/cipher.h"

#include "format/question_store.h"
#include "support/session_fixture.h"

namespace {

class QuestionOrderTest : public SessionTest {
 protected:
  std::string order() const {
    std::string out;
    for (QListEntry* e = State.QListHead; e; e = e->Next) {
      out += std::to_string(e->Number) + ":" + std::string(e->Owner->Text).substr(0, 2);
      if (e->Sub)
        out += static_cast<char>(0x60 + (e->Sub->Flags >> 2));
      out += " ";
    }
    return out;
  }
  void TearDown() override {
    freeQuestionList();
    SessionTest::TearDown();
  }
};

TEST_F(QuestionOrderTest, FileOrderWithPoolsAndParts) {
  loadInFileOrder("QUESTIONS\n"
                  "1. (1 pt) Q1\n"
                  "{\n2. (1 pt) P1\n3. (1 pt) P2\n4. (1 pt) P3\n}\n"
                  "5. (1 pt) Q5\n"
                  "6. Q6\n  6.a. (1 pt) a\n  6.b. (1 pt) b\n  6.c. (1 pt) c\n");
  buildQuestionList();
  EXPECT_EQ(order(), "1:Q1 2:P1 3:Q5 4:Q6a 4:Q6b 4:Q6c ");
}

TEST_F(QuestionOrderTest, LimitCountsEntriesAfterWholeQuestions) {
  loadInFileOrder("QUESTIONS 1\n1. Q1\n  1.a. (1 pt) a\n  1.b. (1 pt) b\n  1.c. (1 pt) c\n2. (1 pt) Q2\n");
  buildQuestionList();
  EXPECT_EQ(order(), "1:Q1a 1:Q1b 1:Q1c ");
}

TEST_F(QuestionOrderTest, ShuffledWalksDependOnTheKeyAndTheClock) {
  std::string body = "QUESTIONS\n";
  for (int i = 1; i <= 12; ++i)
    body += std::to_string(i) + ". (1 pt) " + static_cast<char>('A' + i) + "x\n";
  loadExam(DemoHeader, body);
  std::set<std::string> orders;
  for (uint32_t tick : {1000u, 2000u, 3001u, 77777u}) {
    console.setTick(tick);
    buildQuestionList();
    std::string seen = order();
    std::multiset<std::string> each;
    for (QListEntry* e = State.QListHead; e; e = e->Next)
      each.insert(e->Owner->Text);
    EXPECT_EQ(each.size(), 12u);
    EXPECT_EQ(std::set<std::string>(each.begin(), each.end()).size(), 12u) << seen;
    orders.insert(seen);
    freeQuestionList();
  }
  EXPECT_GT(orders.size(), 1u);
}

TEST_F(QuestionOrderTest, OpenEntriesAreEmptyOrSkippedInAnyCase) {
  loadInFileOrder("QUESTIONS\n1. (1 pt) A\n2. (1 pt) B\n3. (1 pt) C\n");
  QListEntry* first = buildQuestionList();
  QListEntry* second = first->Next;
  QListEntry* third = second->Next;
  // An answer that came with the exam is only a template: the entry stays open until the
  // student confirms one.
  char t[] = "&template";
  addAnswer(first->Owner, t, 0);
  EXPECT_EQ(findOpenEntry(true, first), first);
  for (QListEntry* e = first; e; e = e->Next)
    e->Confirmed = true;
  char a[] = "done", b[] = "#SKIP", c[] = "x";
  addAnswer(first->Owner, a, 1);
  EXPECT_EQ(findOpenEntry(true, first), second);
  EXPECT_EQ(findOpenEntry(false, first), third);
  addAnswer(second->Owner, b, 1);
  addAnswer(third->Owner, c, 1);
  EXPECT_EQ(findOpenEntry(false, third), second);
  char d[] = "answered";
  addAnswer(second->Owner, d, 1);
  EXPECT_EQ(findOpenEntry(true, first), nullptr);
  EXPECT_EQ(findOpenEntry(false, first), nullptr);
  EXPECT_EQ(findOpenEntry(true, nullptr), nullptr);
  freeQuestionList();
  EXPECT_EQ(State.QListHead, nullptr);
  EXPECT_EQ(State.QuestionsAnswered, 0u);
}

TEST_F(QuestionOrderTest, WindowTextForQuestionsAndSubQuestions) {
  loadInFileOrder("QUESTIONS\n1. (-1 pts) Minus.\n2. Parts.\n  2.a. (0.5 pts) Half.\n  2.b. (1 pt) One.\n");
  QListEntry* entry = buildQuestionList();
  FILE* stream = fopen(folder.file("x.xmc").c_str(), "w+b");
  bool first = false;
  console.typeLine("#exit");
  console.typeLine("n");
  console.pressKey(0xE0, 80, 0);  // ignored without review mode: the special-keys note
  console.typeLine("");
  runProgram([&] { presentQuestion(&first, entry->Next, stream); });
  fclose(stream);
  EXPECT_EQ(std::string(State.QuestionText),
            "--->  Questions Answered #0 of 3\n\n02. Parts.\n===> SubQuestion #1 of 2\n\n02.a. (  0.5 pts) Half.\n");
}

TEST_F(QuestionOrderTest, TooLongTextIsCutForTheWindowOnly) {
  std::string body = "QUESTIONS\n1. (2 pts) " + std::string(4000, 'w') + "\n\\" + std::string(80, 'z') + "\n";
  loadInFileOrder(body);
  QListEntry* entry = buildQuestionList();
  size_t length = strlen(entry->Owner->Text);
  ASSERT_GT(length, 4050u);
  FILE* stream = fopen(folder.file("x.xmc").c_str(), "w+b");
  deriveCipherState(&State.ResultCipherState);
  CipherState start = State.ResultCipherState;
  bool first = false;
  console.typeLine("#done");
  console.typeLine("y");
  EXPECT_EQ(runProgram([&] { EXPECT_EQ(presentQuestion(&first, entry, stream), -1); }), NoExit);
  fclose(stream);
  EXPECT_EQ(strlen(State.QuestionText), 4095u);
  std::string record = fromHex(folder.read("x.xmc"), &start);
  EXPECT_NE(record.find(std::string(entry->Owner->Text) + "\ntck:"), std::string::npos);
}

}  // namespace
