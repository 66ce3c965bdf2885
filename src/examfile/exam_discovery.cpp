#include "examfile/exam_discovery.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "console/console.h"
#include "state/memory.h"

namespace {

// Appends the separator (unless the path already ends in one, as a root does) and the
// name. False, with the path unchanged, when the result would not fit capacity.
bool appendPathPart(char* path, size_t capacity, const char* name) {
  const char separator = platform().pathSeparator();
  size_t length = strlen(path);
  bool needsSeparator = length == 0 || path[length - 1] != separator;
  size_t nameLength = strlen(name);
  if (length + (needsSeparator ? 1 : 0) + nameLength + 1 > capacity)
    return false;
  if (needsSeparator)
    path[length++] = separator;
  memcpy(path + length, name, nameLength + 1);
  return true;
}

void appendFound(NameListNode* node) {
  if (!State.FoundListHead)
    State.FoundListHead = node;
  else
    State.FoundListTail->Next = node;
  State.FoundListTail = node;
}

}  // namespace

NameListNode* newNameListNode() {
  void* memory = AllocateMemory(sizeof(NameListNode));
  return memory ? new (memory) NameListNode() : nullptr;
}

void addFoundFile(const char* name) {
  // A file whose full path does not fit a node cannot be opened by name later: leave it
  // out of the list rather than cut its path.
  char path[sizeof State.SearchPath];
  snprintf(path, sizeof path, "%s", State.SearchPath);
  if (!appendPathPart(path, sizeof(NameListNode::Path), name))
    return;

  NameListNode* node = newNameListNode();
  if (!node) {
    consolePrintf(ConsoleStream::Err,
                  "\n\nMemory Error. Could not allocate %d bytes for a NAME_LIST object.\n\n",
                  int(sizeof(NameListNode)));
    waitForEnter();
    endProgram(-1);
  }
  memcpy(node->Path, path, strlen(path) + 1);
  node->NameOffset = int(strlen(path) - strlen(name));
  appendFound(node);
}

void searchDirectory(const char* filter, const char* extension) {
  const size_t noted = strlen(State.SearchPath);
  // The directory is read by its path, so that descending never depends on what the
  // current directory happens to be.
  char directory[sizeof State.SearchPath];
  memcpy(directory, State.SearchPath, noted + 1);

  platform().listDirectory(directory, extension, [&](const DirectoryEntry& entry) {
    if (entry.IsDirectory) {
      if (!appendPathPart(State.SearchPath, sizeof State.SearchPath, entry.Name.c_str()))
        return true;  // too deep to name: nothing in it could be opened either
      if (platform().setCurrentDirectory(State.SearchPath)) {
        searchDirectory(filter, extension);
        State.SearchPath[noted] = '\0';
        // The completed-exam file is written to the current directory: keep that the
        // directory the exams were listed from, not the last one searched.
        platform().setCurrentDirectory(State.SearchPath);
        consolePrintf(ConsoleStream::Out, "\nContinuing search in %s\n\n", State.SearchPath);
      } else {
        consolePrintf(ConsoleStream::Err,
                      "\n\nError! Could not set directory to \"%s\", because err=%d\n\n",
                      State.SearchPath, platform().lastErrorCode());
        State.SearchPath[noted] = '\0';
      }
      return true;
    }
    if (!filter || strstr(entry.Name.c_str(), filter))
      addFoundFile(entry.Name.c_str());
    return true;
  });
}

void findExamFiles() {
  snprintf(State.SearchPath, sizeof State.SearchPath, "%s", State.WorkingDirectory);
  if (!platform().setCurrentDirectory(State.SearchPath)) {
    consolePrintf(ConsoleStream::Err, "Error - Could not set directory to \"%s\"\n\n",
                  State.SearchPath);
    waitForEnter();
    endProgram(-1);
  }

  searchDirectory("Exam", "exm");

  if (State.FoundListHead) {
    State.ExamFileList = State.FoundListHead;
    State.FoundListHead = nullptr;
    State.FoundListTail = nullptr;
    return;
  }
  consolePrintf(ConsoleStream::Err, "Error! No Exam files found in %s\n\n", State.SearchPath);
  waitForEnter();
  State.ExamFileList = nullptr;
}

void releaseExamFileList() {
  NameListNode* node = State.ExamFileList;
  while (node) {
    NameListNode* next = node->Next;
    free(node);
    node = next;
  }
  State.ExamFileList = nullptr;
}
