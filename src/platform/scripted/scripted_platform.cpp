#include "platform/scripted/scripted_platform.h"

namespace {

// 2026-03-02 09:00:00 UTC, a Monday: where every scripted clock starts.
constexpr FileTime ScriptStartUtc = 134169300000000000ULL;

int streamIndex(ConsoleStream stream) {
  return stream == ConsoleStream::Out ? 0 : 1;
}

}  // namespace

ScriptedPlatform::ScriptedPlatform() : utc_(ScriptStartUtc) {}

void ScriptedPlatform::typeLine(const std::string& line, uint32_t thinkMs) {
  typeKeys(line + "\n", thinkMs);
}

void ScriptedPlatform::typeKeys(const std::string& keys, uint32_t thinkMs) {
  std::lock_guard<std::mutex> hold(lock_);
  bool first = true;
  for (unsigned char c : keys) {
    input_.push_back({c, first ? thinkMs : 0});
    first = false;
  }
  if (keys.empty())
    input_.push_back({-2, thinkMs});  // a pause with nothing typed
}

void ScriptedPlatform::pressKey(int prefix, int scanCode, uint32_t thinkMs) {
  std::lock_guard<std::mutex> hold(lock_);
  // Bytes, as a console hands them out: a prefix given as a signed char is still 0xE0,
  // never a negative value that reads as the end of input.
  input_.push_back({prefix & 0xFF, thinkMs});
  input_.push_back({scanCode & 0xFF, 0});
}

bool ScriptedPlatform::scriptDone() const {
  std::lock_guard<std::mutex> hold(lock_);
  return nextInput_ == input_.size();
}

void ScriptedPlatform::reset() {
  std::lock_guard<std::mutex> hold(lock_);
  input_.clear();
  nextInput_ = 0;
  pieces_.clear();
  taken_ = 0;
  attribute_[0] = attribute_[1] = DefaultAttribute;
  echoed_.clear();
  clearCount_ = 0;
  title_.clear();
  columns_ = 80;
  guardCalls_ = 0;
  tick_ = 1000000;
  utc_ = ScriptStartUtc;
  utcOffsetMinutes_ = 0;
  for (std::string& folder : folders_)
    folder.clear();
  fileSyncs_ = 0;
  folderSyncs_ = 0;
}

std::vector<WrittenPiece> ScriptedPlatform::pieces() const {
  std::lock_guard<std::mutex> hold(lock_);
  return pieces_;
}

std::string ScriptedPlatform::text(ConsoleStream stream) const {
  std::lock_guard<std::mutex> hold(lock_);
  std::string all;
  for (const WrittenPiece& piece : pieces_)
    if (piece.Stream == stream)
      all += piece.Text;
  return all;
}

std::string ScriptedPlatform::allText() const {
  std::lock_guard<std::mutex> hold(lock_);
  std::string all;
  for (const WrittenPiece& piece : pieces_)
    all += piece.Text;
  return all;
}

std::string ScriptedPlatform::takeText() {
  std::lock_guard<std::mutex> hold(lock_);
  std::string all;
  for (; taken_ < pieces_.size(); ++taken_)
    all += pieces_[taken_].Text;
  return all;
}

std::string ScriptedPlatform::echoed() const {
  std::lock_guard<std::mutex> hold(lock_);
  return echoed_;
}

void ScriptedPlatform::advance(uint32_t milliseconds) {
  tick_ += milliseconds;
  utc_ += FileTime{milliseconds} * 10000;
}

void ScriptedPlatform::setUserFolder(int candidate, const std::string& path) {
  if (candidate >= 1 && candidate <= 4)
    folders_[candidate] = path;
}

void ScriptedPlatform::write(ConsoleStream stream, const char* text, size_t length) {
  std::lock_guard<std::mutex> hold(lock_);
  int attribute = attribute_[streamIndex(stream)];
  // Pieces already taken stay as they were, so takeText never sees text twice.
  if (pieces_.size() > taken_ && pieces_.back().Stream == stream &&
      pieces_.back().Attribute == attribute)
    pieces_.back().Text.append(text, length);
  else
    pieces_.push_back({stream, attribute, std::string(text, length)});
}

void ScriptedPlatform::setAttribute(ConsoleStream stream, int attribute) {
  std::lock_guard<std::mutex> hold(lock_);
  attribute_[streamIndex(stream)] = attribute;
}

int ScriptedPlatform::nextInput() {
  std::lock_guard<std::mutex> hold(lock_);
  for (;;) {
    if (nextInput_ == input_.size())
      return -1;
    InputByte next = input_[nextInput_++];
    advance(next.DelayMs);
    if (next.Value != -2)
      return next.Value;
  }
}

int ScriptedPlatform::readLineChar() {
  return nextInput();
}

int ScriptedPlatform::readKey() {
  return nextInput();
}

void ScriptedPlatform::echoKey(int key) {
  std::lock_guard<std::mutex> hold(lock_);
  echoed_ += static_cast<char>(key);
}

void ScriptedPlatform::clearScreen() {
  std::lock_guard<std::mutex> hold(lock_);
  ++clearCount_;
}

void ScriptedPlatform::setTitle(const char* title) {
  std::lock_guard<std::mutex> hold(lock_);
  title_ = title;
}

void ScriptedPlatform::exitProcess(int status) {
  throw ProgramExit{status};
}

SystemTime ScriptedPlatform::systemTimeUtc() {
  return fileTimeToSystemTime(utc_);
}

bool ScriptedPlatform::utcToLocal(const SystemTime& utc, SystemTime* local) {
  FileTime time;
  if (!systemTimeToFileTime(utc, &time))
    return false;
  *local = fileTimeToSystemTime(time + static_cast<int64_t>(utcOffsetMinutes_) * 600000000LL);
  return true;
}

bool ScriptedPlatform::localToUtc(const SystemTime& local, SystemTime* utc) {
  FileTime time;
  if (!systemTimeToFileTime(local, &time))
    return false;
  *utc = fileTimeToSystemTime(time - static_cast<int64_t>(utcOffsetMinutes_) * 600000000LL);
  return true;
}

std::string ScriptedPlatform::userFolder(int candidate) {
  if (candidate >= 1 && candidate <= 4)
    return folders_[candidate];
  return "";
}

bool ScriptedPlatform::syncFile(FILE* stream) {
  ++fileSyncs_;
  return fflush(stream) == 0;
}

bool ScriptedPlatform::syncFolder(const char*) {
  ++folderSyncs_;
  return true;
}
