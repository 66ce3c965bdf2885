// Finding the exam files in the working directory.
#pragma once

#include "state/program_state.h"

// Fills State.ExamFileList with the "*.exm" files whose names contain "Exam", in the
// order found; none (after a message and a pause) when there is no such file.
void findExamFiles();
// Searches State.SearchPath for entries matching "*.<extension>" and, through itself,
// the directories among them. Files are taken when their name contains filter (all
// files when filter is null).
void searchDirectory(const char* filter, const char* extension);
void addFoundFile(const char* name);
NameListNode* newNameListNode();
void releaseExamFileList();
