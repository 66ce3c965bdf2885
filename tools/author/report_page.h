// The class page as its parts write it (report_html.cpp, report_html_grading.cpp): a
// buffer that goes to the file as it fills, and the one escaping of text for HTML.
#pragma once

#include <cstdio>
#include <string>

struct ReportClass;

class Page {
 public:
  explicit Page(FILE* out) : out_(out) {}
  Page& operator<<(const std::string& text) {
    buffer_ += text;
    if (buffer_.size() > 1 << 16)
      flush();
    return *this;
  }
  Page& operator<<(const char* text) { return *this << std::string(text); }
  bool flush() {
    ok_ = ok_ && fwrite(buffer_.data(), 1, buffer_.size(), out_) == buffer_.size();
    buffer_.clear();
    return ok_;
  }

 private:
  FILE* out_;
  std::string buffer_;
  bool ok_ = true;
};

// Text from the files (typed by students) or the instructor's, as HTML: entities for
// the markup characters, a replacement mark for control characters.
std::string htmlEscaped(const std::string& raw);

// The style of the grading sections, and the sections: scores with their histogram, the
// item analysis, and the things to look at.
extern const char* const GradingStyle;
void writeGradingSections(Page& page, const ReportClass& report);
