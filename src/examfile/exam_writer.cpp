#include "examfile/exam_writer.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "crypto/sha256.h"
#include "examfile/cipher.h"

namespace {

// Pairs per line of the hexadecimal section; the reader takes any layout.
constexpr size_t PairsPerLine = 32;

}  // namespace

std::string makeExamFileText(const std::string& headerLine, const std::string& body,
                             const ExamFileOptions& options) {
  std::vector<uint8_t> bytes(64 + body.size(), 0);
  uint8_t* block = bytes.data();
  memcpy(block, options.BlockVersion.data(), std::min<size_t>(4, options.BlockVersion.size()));
  sha256(block + 4, options.Password.data(), options.Password.size());
  memcpy(block + 36, options.ExpiryDate.data(), std::min<size_t>(20, options.ExpiryDate.size()));
  block[56] = options.OrderMode;
  block[57] = options.ClockCheckMode;
  block[58] = options.ReviewMode;
  block[63] = options.OpenCounter;
  memcpy(bytes.data() + 64, body.data(), body.size());

  CipherState cipher;
  memcpy(cipher.Digest, block + 4, 32);
  deriveCipherState(&cipher);
  applyKeyStream(&cipher, bytes.data(), bytes.size());

  std::string text = headerLine + "\n\n";
  text.reserve(text.size() + bytes.size() * 2 + bytes.size() / PairsPerLine + 2);
  static const char Digits[] = "0123456789ABCDEF";
  for (size_t i = 0; i < bytes.size(); ++i) {
    text += Digits[bytes[i] >> 4];
    text += Digits[bytes[i] & 15];
    if ((i + 1) % PairsPerLine == 0 || i + 1 == bytes.size())
      text += '\n';
  }
  return text;
}

bool hasExpiryDateForm(const std::string& text) {
  static const char Form[] = "dddd/dd/dd::dd:dd:dd";
  if (text.size() != 20)
    return false;
  for (size_t i = 0; i < 20; ++i) {
    bool digit = text[i] >= '0' && text[i] <= '9';
    if (Form[i] == 'd' ? !digit : text[i] != Form[i])
      return false;
  }
  return true;
}

bool isValidExpiryDate(const std::string& text) {
  if (!hasExpiryDateForm(text))
    return false;
  auto number = [&](size_t at, size_t count) { return std::stoi(text.substr(at, count)); };
  SystemTime time;
  time.Year = uint16_t(number(0, 4));
  time.Month = uint16_t(number(5, 2));
  time.Day = uint16_t(number(8, 2));
  time.Hour = uint16_t(number(12, 2));
  time.Minute = uint16_t(number(15, 2));
  time.Second = uint16_t(number(18, 2));
  FileTime unused;
  return time.Hour < 24 && time.Minute < 60 && time.Second < 60 &&
         systemTimeToFileTime(time, &unused);
}
