#include "result/record_writer.h"

#include <cstdint>
#include <cstring>

#include "console/console.h"
#include "examfile/cipher.h"
#include "state/program_state.h"

const char* const ResultWriteFailedMessage =
    "\n\nWARNING - The XMC file could not be written (is the disk full or removed?).\n"
    "Answers from now on may be missing from it. Tell your instructor at once.\n\n";

const char* const ResultIncompleteMessage =
    "\nWARNING - The XMC file below is INCOMPLETE: some of this exam could not be written "
    "to it.\nTell your instructor before you turn it in.\n\n";

namespace {

// Students must not hand in a file that silently lacks answers, but one failure is
// enough to say so: repeating it at every record would bury the exam under warnings.
// The pause keeps the warning on the screen: the session clears the console after
// every answer. The final screen says it again (resultFileIncomplete).
bool reportFailure() {
  if (!State.ResultWriteFailureShown) {
    State.ResultWriteFailureShown = true;
    setConsoleAttribute(ConsoleStream::Err, 12);
    consoleWrite(ConsoleStream::Err, ResultWriteFailedMessage);
    showMessageAndWait(nullptr, 12);
  }
  return false;
}

// Plain characters, each line feed as CR LF, in chunks so that long answers cost a
// handful of calls.
bool putPlain(const char* text, size_t length, FILE* stream) {
  char chunk[1024];
  size_t used = 0;
  bool ok = true;
  for (size_t i = 0; i < length && text[i] != '\0'; ++i) {
    if (used + 2 > sizeof chunk) {
      ok = fwrite(chunk, 1, used, stream) == used && ok;
      used = 0;
    }
    if (text[i] == '\n')
      chunk[used++] = '\r';
    chunk[used++] = text[i];
  }
  if (used > 0)
    ok = fwrite(chunk, 1, used, stream) == used && ok;
  return ok;
}

bool putHex(const uint8_t* bytes, size_t length, FILE* stream) {
  static const char Digits[] = "0123456789ABCDEF";
  char chunk[1024];
  size_t used = 0;
  bool ok = true;
  for (size_t i = 0; i < length; ++i) {
    if (used + 2 > sizeof chunk) {
      ok = fwrite(chunk, 1, used, stream) == used && ok;
      used = 0;
    }
    chunk[used++] = Digits[bytes[i] >> 4];
    chunk[used++] = Digits[bytes[i] & 0x0F];
  }
  if (used > 0)
    ok = fwrite(chunk, 1, used, stream) == used && ok;
  return ok;
}

}  // namespace

bool writeRecord(RecordMode mode, char* text, size_t length, FILE* stream, bool encipher) {
  if (length == 0)
    length = strlen(text);
  if (encipher) {
    applyKeyStream(&State.ResultCipherState, reinterpret_cast<uint8_t*>(text), length);
    mode = RecordMode::Hex;
  }
  bool ok = mode == RecordMode::Hex ? putHex(reinterpret_cast<uint8_t*>(text), length, stream)
                                    : putPlain(text, length, stream);
  // Every record reaches the system before the session goes on, so a crash or a kill
  // of the program keeps everything up to the last record. The disk itself is the
  // session's to ask for (syncRecords), where the student would otherwise rely on it.
  ok = fflush(stream) == 0 && ok;
  return ok ? true : reportFailure();
}

bool writeEncipheredRecord(std::string* record, FILE* stream) {
  return writeRecord(RecordMode::Hex, record->data(), record->size(), stream, true);
}

bool writePlainText(const char* text, FILE* stream) {
  bool ok = putPlain(text, strlen(text), stream);
  ok = fflush(stream) == 0 && ok;
  return ok ? true : reportFailure();
}

bool syncRecords(FILE* stream, const char* folder) {
  bool ok = platform().syncFile(stream);
  if (folder)
    ok = platform().syncFolder(folder) && ok;
  return ok ? true : reportFailure();
}
