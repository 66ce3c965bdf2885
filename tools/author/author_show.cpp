// veritor-author show: what an .exm file holds, deciphered with its password.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "author.h"
#include "author_arguments.h"
#include "author_support.h"
#include "crypto/sha256.h"
#include "examfile/cipher.h"
#include "examfile/exam_writer.h"
#include "examfile/hex_reader.h"
#include "state/program_state.h"

namespace {

const char* const ShowUsage =
    "usage: veritor-author show EXAM.exm --password PASSWORD [--key FILE]\n"
    "\n"
    "Prints the exam's header line, the fields of its protected block (version, expiry,\n"
    "question order, clock check, review, open counter) and its deciphered body.\n"
    "\n"
    "options:\n"
    "  --password PASSWORD   the exam's password\n"
    "  --key FILE            the key file the exam was made with (default: the built-in key)\n"
    "  --help                this text\n"
    "\n"
    "exit status: 0 shown, 1 the file cannot be read or the password does not match,\n"
    "2 wrong usage\n";

const char* const Command = "show";

std::string printable(const uint8_t* bytes, size_t length) {
  std::string out;
  for (size_t i = 0; i < length; ++i) {
    if (bytes[i] >= 0x20 && bytes[i] < 0x7F) {
      out += char(bytes[i]);
    } else {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\x%02X", bytes[i]);
      out += escaped;
    }
  }
  return out;
}

}  // namespace

int authorShow(int argc, char** argv) {
  std::string input, password, keyFile;
  bool havePassword = false;
  int status = parseAuthorArguments(Command, ShowUsage, "exam file", argc, argv,
                                    {{"--password", &password, &havePassword},
                                     {"--key", &keyFile}},
                                    &input);
  if (status >= 0)
    return status;
  if (!havePassword)
    return usageError(Command, "%sno --password given", "");

  FILE* file = fopen(input.c_str(), "rb");
  if (!file)
    return refused(Command, "cannot read '%s'", input.c_str());
  char header[1024] = {}, second[1024] = {};
  bool framed = fgets(header, sizeof header, file) && fgets(second, sizeof second, file) &&
                isEmptyLine(second);
  std::vector<uint8_t> bytes;
  bool wellFormed = framed;
  if (framed) {
    HexReader hex(file, ftell(file));
    for (;;) {
      uint8_t byte;
      HexReader::Result read = hex.next(&byte, nullptr);
      if (read == HexReader::End)
        break;
      if (read == HexReader::Bad) {
        wellFormed = false;
        break;
      }
      bytes.push_back(byte);
    }
  }
  fclose(file);
  if (!wellFormed || bytes.size() < 64)
    return refused(Command, "'%s' is not a well-formed exam file", input.c_str());

  installAuthorPlatform();
  if (!setUpAuthorKey(keyFile))
    return refused(Command, "%sthe key could not be set up", "");

  CipherState cipher;
  sha256(cipher.Digest, password.data(), password.size());
  deriveCipherState(&cipher);
  applyKeyStream(&cipher, bytes.data(), bytes.size());
  const uint8_t* block = bytes.data();
  if (memcmp(block + 4, cipher.Digest, 32) != 0)
    return refused(Command, "the password does not match '%s' (or it was made with another key)",
                   input.c_str());

  size_t headerLength = strcspn(header, "\r\n");
  header[headerLength] = '\0';
  const uint8_t counter = block[63];
  printf("Header:        %s\n", header);
  printf("Block version: %s\n", printable(block, 4).c_str());
  printf("Password:      matches\n");
  printf("Expires:       %s (students' local time)\n", printable(block + 36, 20).c_str());
  printf("Order:         %s\n", block[56] == OrderFileOrder ? "file order" : "shuffled");
  printf("Clock check:   %s\n", block[57] == ClockCheckOff ? "off" : "on");
  printf("Review:        %s\n", block[58] == ReviewOn ? "on" : "off");
  printf("Open counter:  0x%02X (the next load counts as %d)\n", counter,
         -1 - int(int8_t(uint8_t(counter - 1))));
  printf("Body:          %zu bytes\n\n", bytes.size() - 64);
  fwrite(bytes.data() + 64, 1, bytes.size() - 64, stdout);
  return 0;
}
