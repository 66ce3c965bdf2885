#include "support/session_fixture.h"

#include <cstring>

#include "crypto/key_data.h"
#include "crypto/sha256.h"
#include "examfile/exam_loader.h"
#include "format/body_parser.h"
#include "format/exam_header.h"
#include "format/question_store.h"
#include "session/exam_session.h"
#include "window/question_window.h"

const char* const DemoHeader =
    ";Fall 2021;  CS 1234: Intro to Programming: (001) ---> Exam 1:  TimeLimit: 60 minutes  ---  "
    "Version 1.07";

namespace {
std::string g_body;
}

size_t countOf(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++count;
  return count;
}

const char* const ThreeQuestions =
    "QUESTIONS\n"
    "1. (5 pts) First question?\n"
    "2. (1 pt) Second question?\n"
    "3. Third with parts.\n"
    "  3.a. (2 pts) Part a.\n"
    "  3.b. (1 pt) Part b.\n";

void SessionTest::SetUp() {
  ScriptedTest::SetUp();
  setWindowView(WindowView::Off);
  uint32_t length = 0;
  State.KeyData = loadKeyResource(&length);
  State.KeyLength = length;
  State.PrimeTable = loadPrimeTable();
  snprintf(State.StudentFullName, sizeof State.StudentFullName, "Ada Lovelace");
  snprintf(State.StudentId, sizeof State.StudentId, "abc123");
  State.LoadTime = console.systemTimeUtc();

  // The result key as exam loading makes it: the identifier and the password's digest.
  uint8_t seed[38];
  memcpy(seed, "abc123", 6);
  sha256(seed + 6, "secret", 6);
  sha256(State.ResultCipherState.Digest, seed, sizeof seed);
}

void SessionTest::TearDown() {
  clearQuestionStore();
  ScriptedTest::TearDown();
}

void SessionTest::loadExam(const std::string& header, const std::string& body) {
  clearQuestionStore();
  headerLine = header;
  std::string line = header;
  parseExamHeader(line.data());
  g_body = body;
  State.Body.Text = g_body.c_str();
  State.Body.Position = 0;
  State.Body.End = g_body.size();
  parseQuestions();
  memset(State.PoolMarks, 0, sizeof State.PoolMarks);
  countQuestionsAndPoints();
}

int SessionTest::runSession(int8_t counter) {
  std::string path = folder.file("result.xmc");
  FILE* stream = fopen(path.c_str(), "w+b");
  int status = runProgram([&] { runExamSession(stream, path.c_str(), counter); });
  fclose(stream);
  bytes = folder.read("result.xmc");
  reading = readXmc(bytes);
  return status;
}

std::string SessionTest::events() const {
  std::string out;
  for (const XmcEvent& e : reading.Events) {
    const char* kind = e.What == XmcEvent::Question    ? "Q:"
                       : e.What == XmcEvent::Confirmed ? "C:"
                       : e.What == XmcEvent::Rejected  ? "R:"
                                                       : "E:";
    out += kind + e.Label + "|";
  }
  return out;
}

std::string SessionTest::fromHex(const std::string& hex, CipherState* stream) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  if (stream)
    applyKeyStream(stream, reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
  return bytes;
}
