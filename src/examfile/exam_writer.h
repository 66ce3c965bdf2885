// Writing an exam file: the plain header line, an empty line, and the enciphered
// protected block and body as hexadecimal pairs. The instructor's tool and the tests
// make their exams with it; the key in use (State.KeyData) enciphers them.
#pragma once

#include <cstdint>
#include <string>

// Option bytes of the protected block.
constexpr uint8_t OrderFileOrder = '+';
constexpr uint8_t OrderShuffled = '-';
constexpr uint8_t ClockCheckOn = 'Y';
constexpr uint8_t ClockCheckOff = ' ';
constexpr uint8_t ReviewOn = 0x11;
constexpr uint8_t ReviewOff = 0x00;

struct ExamFileOptions {
  std::string Password;
  std::string ExpiryDate = "9999/12/31::23:59:59";  // YYYY/MM/DD::HH:MM:SS, local time
  std::string BlockVersion = "1.07";
  uint8_t OrderMode = OrderShuffled;
  uint8_t ClockCheckMode = ClockCheckOn;
  uint8_t ReviewMode = ReviewOff;
  uint8_t OpenCounter = 0xFF;
};

// The whole file: headerLine (without its line end), then the body enciphered under the
// password. Lines end in LF.
std::string makeExamFileText(const std::string& headerLine, const std::string& body,
                             const ExamFileOptions& options);

// True when text has the form YYYY/MM/DD::HH:MM:SS and names a real date and time.
// Whether the text has the expiry's form, YYYY/MM/DD::HH:MM:SS, in digits, whatever
// their values.
bool hasExpiryDateForm(const std::string& text);
bool isValidExpiryDate(const std::string& text);
