#include "author_header.h"

#include <cstdio>

namespace {

// A field the walk could not reach keeps its name in the filled layout, so that the
// line still shows what goes there.
std::string valueOrName(const std::string& value, const char* name) {
  return value.empty() ? name : value;
}

}  // namespace

const char* const HeaderOptionsUsage =
    "  --semester TEXT           the header's fields: semester at most 30 characters,\n"
    "  --course-number TEXT      course number 14, course name 126, section 6, exam name\n"
    "  --course-name TEXT        30; none may hold the character that closes it in the\n"
    "  --section TEXT            header (';' for the semester, ')' for the section, ':'\n"
    "  --exam-name TEXT          for the others)\n"
    "  --minutes N               the time limit, 1 to 3000 minutes\n";

void addHeaderOptions(HeaderOptions* header, std::vector<AuthorOption>* options) {
  HeaderFields& f = header->Fields;
  options->insert(options->end(), {{"--semester", &f.Semester, &header->Given},
                                   {"--course-number", &f.CourseNumber, &header->Given},
                                   {"--course-name", &f.CourseName, &header->Given},
                                   {"--section", &f.Section, &header->Given},
                                   {"--exam-name", &f.ExamName, &header->Given},
                                   {"--minutes", &f.Minutes, &header->Given}});
}

void printHeaderDiagnosis(const char* command, const std::string& line,
                          const HeaderDiagnosis& diagnosis, HeaderVerdict verdict,
                          const std::vector<std::string>& readOtherwise) {
  const char* heading =
      verdict == HeaderVerdict::RefusedByVeritor
          ? "the header line does not have the layout veritor reads:"
      : verdict == HeaderVerdict::ReadOtherwise
          ? "the header line would make another exam than the one written:"
          : "warning: the header line departs from the layout, though veritor reads its "
            "values as written:";
  fprintf(stderr, "veritor-author %s: %s\n", command, heading);
  std::string marks;
  for (const HeaderFault& fault : diagnosis.Faults) {
    fprintf(stderr, "  column %zu: %s\n", fault.Column, fault.Problem.c_str());
    if (marks.size() < fault.Column)
      marks.resize(fault.Column, ' ');
    marks[fault.Column - 1] = '^';
  }
  for (const std::string& difference : readOtherwise)
    fprintf(stderr, "  %s\n", difference.c_str());
  // Tabs would put the marks out of line with what they point at.
  std::string shown = line;
  for (char& c : shown)
    if (c == '\t')
      c = ' ';
  const HeaderFields& v = diagnosis.Values;
  HeaderFields filled = {valueOrName(v.Semester, "SEMESTER"),
                         valueOrName(v.CourseNumber, "COURSE-NUMBER"),
                         valueOrName(v.CourseName, "COURSE-NAME"),
                         valueOrName(v.Section, "SECTION"),
                         valueOrName(v.ExamName, "EXAM-NAME"),
                         valueOrName(v.Minutes, "MINUTES")};
  fprintf(stderr,
          "\n  the header:  %s\n"
          "               %s\n"
          "  the layout:  %s\n",
          shown.c_str(), marks.c_str(), HeaderLayout);
  // A line with none of the values in it has nothing to fill the layout with.
  std::string yours = composeExamHeader(filled);
  if (yours != HeaderLayout)
    fprintf(stderr, "  with yours:  %s\n", yours.c_str());
  fputc('\n', stderr);
  fprintf(stderr,
          "The layout's blanks, dashes and marks are read by their places. Write the header "
          "in it,\nor leave it out of the text and give its values as options (see\n"
          "'veritor-author %s --help').\n",
          command);
}
