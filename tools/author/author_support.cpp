#include "author_support.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "console/console.h"
#include "crypto/key_data.h"
#include "platform/forwarding_platform.h"
#include "state/program_state.h"

namespace {

struct AuthorExit {
  int Status;
};

// The program's code reports through the console and may end the process; in the tool
// its messages go out as they are, pauses pass at once, and an end becomes an
// AuthorExit that runChecked catches.
class AuthorPlatform : public UnattendedPlatform {
 public:
  void write(ConsoleStream stream, const char* text, size_t length) override {
    if (length == strlen(PressEnterBanner) && memcmp(text, PressEnterBanner, length) == 0)
      return;
    ForwardingPlatform::write(stream, text, length);
  }
  void guardConsole() override {}
  [[noreturn]] void exitProcess(int status) override { throw AuthorExit{status}; }
};

}  // namespace

void installAuthorPlatform() {
  static AuthorPlatform instance;
  setPlatform(&instance);
}

bool runChecked(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const AuthorExit&) {
    return false;
  }
  return true;
}

bool setUpAuthorKey(const std::string& keyFile) {
  std::string option = "-k";
  std::string name = keyFile;
  char tool[] = "veritor-author";
  char* argv[] = {tool, option.data(), name.data(), nullptr};
  return runChecked([&] { setUpKeyData(keyFile.empty() ? 1 : 3, argv); });
}

bool readWholeFile(const std::string& path, std::string* contents, size_t limit,
                   bool* tooLarge) {
  FILE* file = fopen(path.c_str(), "rb");
  if (!file)
    return false;
  contents->clear();
  char chunk[65536];
  size_t got;
  bool over = false;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
    if (got > limit - contents->size()) {
      over = true;
      break;
    }
    contents->append(chunk, got);
  }
  bool ok = !ferror(file) && !over;
  int error = errno;
  fclose(file);
  errno = error;
  if (tooLarge)
    *tooLarge = over;
  return ok;
}

size_t fileNameStart(const std::string& path) {
  const char separators[] = {'/', platform().pathSeparator(), '\0'};
  size_t last = path.find_last_of(separators);
  return last == std::string::npos ? 0 : last + 1;
}
