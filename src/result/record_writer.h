// Writing records to the completed-exam file.
//
// The file on disk is what a text-mode stream on Windows writes: every line feed of a
// plain part becomes carriage return plus line feed, on every platform, so an
// instructor's tools read the same bytes whatever machine the exam was taken on.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "state/program_state.h"

enum class RecordMode { Plain, Hex };

// Writes one record and flushes the stream. length 0: the text up to its NUL. With
// encipher set the text is enciphered in place with State.ResultCipherState and written
// as Hex whatever mode was asked. Returns false when the write or the flush failed (the
// student has then been told, once a session).
bool writeRecord(RecordMode mode, char* text, size_t length, FILE* stream, bool encipher);

// A record composed whole in a string, enciphered in place and written as Hex.
bool writeEncipheredRecord(std::string* record, FILE* stream);

// Writes plain characters straight to the stream (line feeds as CR LF), without a record.
bool writePlainText(const char* text, FILE* stream);

// Puts every record written so far on stable storage, where a power cut cannot take it.
// Each record is flushed as it is written, which only hands it to the system; the session
// syncs before the student is shown or asked anything more, so that whatever the student
// saw recorded is on the disk. With folder given, the folder's list of names too: the
// file was just made there. A failed sync is a failed write: the student is told, once a
// session, and false comes back.
bool syncRecords(FILE* stream, const char* folder = nullptr);

// The message shown, with a press-ENTER pause, the first time a write to the
// completed-exam file fails.
extern const char* const ResultWriteFailedMessage;
// Said again on the final screen, before the name of the file to turn in, when any
// write of the session failed.
extern const char* const ResultIncompleteMessage;
inline bool resultFileIncomplete() {
  return State.ResultWriteFailureShown;
}
