// The exam header as make and new take it from the instructor: from options, or from
// the text's first line, with an explanation when that line is not laid out right.
#pragma once

#include <string>
#include <vector>

#include "author_arguments.h"
#include "format/header_layout.h"

// --semester, --course-number, --course-name, --section, --exam-name, --minutes.
struct HeaderOptions {
  HeaderFields Fields;
  bool Given = false;  // any of them is on the command line
};

void addHeaderOptions(HeaderOptions* header, std::vector<AuthorOption>* options);

// The options' lines for a command's usage text.
extern const char* const HeaderOptionsUsage;

// What becomes of a header line that departs from the layout.
enum class HeaderVerdict {
  RefusedByVeritor,  // veritor stops at it
  ReadOtherwise,     // veritor reads values other than those written: refused too
  ReadAsMeant,       // veritor reads the values written: a warning
};

// Writes on the error stream what departs from the layout in line: each fault with its
// column, the line with a mark under each, the values veritor would read otherwise
// (readOtherwise, from valuesReadOtherwise), the layout, and the layout filled with the
// writer's own values.
void printHeaderDiagnosis(const char* command, const std::string& line,
                          const HeaderDiagnosis& diagnosis, HeaderVerdict verdict,
                          const std::vector<std::string>& readOtherwise);
