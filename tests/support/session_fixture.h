// Whole sessions in-process: an exam made with the header and body parsers, a result key
// set up as exam loading sets it, a real completed-exam file in a temporary folder, and
// the file read back with the reader when the session is over.
#pragma once

#include <cstdio>
#include <string>

#include "examfile/cipher.h"
#include "result/xmc_reader.h"
#include "support/scripted_test.h"

extern const char* const DemoHeader;  // 60 minutes

// How many times piece occurs in text, overlapping ones included.
size_t countOf(const std::string& text, const std::string& piece);

// Three questions, the third with two sub-questions, in the order of the file.
extern const char* const ThreeQuestions;

class SessionTest : public ScriptedTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // header: the exam's header line; body: its deciphered body.
  void loadExam(const std::string& header, const std::string& body);
  // The demo header with this body, asked in the order of the file.
  void loadInFileOrder(const std::string& body) {
    loadExam(DemoHeader, body);
    State.OrderMode = '+';
  }
  // Runs the session on a fresh completed-exam file; returns runProgram's status. The
  // file is then in bytes and reading.
  int runSession(int8_t counter = static_cast<int8_t>(0xFE));

  // The script: the ENTER that begins the exam; an answer typed and confirmed.
  void begin() { console.typeLine(""); }
  void answer(const std::string& text, uint32_t thinkMs = 1000) {
    console.typeLine(text, thinkMs);
    console.typeLine("y");
  }

  // Events of the reading, as "Q:03.b." / "C:text" / "R:text" / "E:#done".
  std::string events() const;

  // Pairs of hex digits back to the bytes they stand for, deciphered with the key stream
  // when one is given (which then runs on past them).
  static std::string fromHex(const std::string& hex, CipherState* stream = nullptr);

  TempFolder folder;
  std::string bytes;
  XmcReading reading;
  std::string headerLine;
};
