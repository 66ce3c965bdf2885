// What the author commands share: running the program's own code (key set-up, the exam
// text parser) so that where the student's program would stop, the tool reports and
// goes on; the key in use; and reading files whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Puts the author tool's platform in place: console output as the program writes it,
// but no press-ENTER pauses and no process exit from inside the program's code.
void installAuthorPlatform();

// Runs fn; false when the program's code would have ended the process there (its message
// has been written to the error stream already).
bool runChecked(const std::function<void()>& fn);

// Sets up the key: the key file's leading bytes, as veritor -k FILE uses them, or the
// embedded key when keyFile is empty. False (after a message) when it cannot be used.
bool setUpAuthorKey(const std::string& keyFile);

// Reads the whole file; false when it cannot be read or, with a limit, when it holds more
// than limit bytes (then *tooLarge is set and contents holds no more than the limit). On a
// failed read errno tells why.
bool readWholeFile(const std::string& path, std::string* contents, size_t limit = SIZE_MAX,
                   bool* tooLarge = nullptr);

// Where the file name begins in a path: after the last separator of the system ('/' too on
// Windows, which takes both), or 0.
size_t fileNameStart(const std::string& path);
