#include "result/xmc_reader.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "examfile/cipher.h"
#include "state/program_state.h"

namespace {

constexpr size_t KeyStartBytes = 57;  // three times "k:SSSSSSSSPPPPPPPP:"

int hexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

bool readHex8(const std::string& text, size_t at, uint32_t* value) {
  if (at + 8 > text.size())
    return false;
  uint32_t v = 0;
  for (size_t i = 0; i < 8; ++i) {
    int d = hexValue(text[at + i]);
    if (d < 0)
      return false;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  *value = v;
  return true;
}

std::string withLineFeeds(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
      out += text[i];
  return out;
}

bool startsWith(const std::string& text, size_t at, const char* prefix) {
  return text.compare(at, strlen(prefix), prefix) == 0;
}

// Whether the line at `at` begins with a question's number ("4. "), or, with indent,
// a sub-question's ("   4.a. ").
bool numberedLine(const std::string& text, size_t at, bool sub) {
  if (sub) {
    if (!startsWith(text, at, "   "))
      return false;
    at += 3;
  }
  size_t digits = at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9')
    ++at;
  if (at == digits || !startsWith(text, at, "."))
    return false;
  ++at;
  if (sub) {
    if (at >= text.size() || text[at] < 'a' || text[at] > 'z')
      return false;
    ++at;
    if (!startsWith(text, at, "."))
      return false;
    ++at;
  }
  return startsWith(text, at, " ");
}

// Whether what is left of a run is a piece of what should stand there: the file was cut
// in it (or before it), rather than damaged.
bool cutShortOf(const std::string& got, const char* expected) {
  return got.size() < strlen(expected) && startsWith(expected, 0, got.c_str());
}

const char* const CompleteMark = "\n\nEXAM COMPLETE:\n\n";
const char* const EchoStart = "\n\nQUESTIONS:  (";

class Reader {
 public:
  explicit Reader(const std::string& bytes) : f_(bytes) { r_.Size = bytes.size(); }

  XmcReading run() {
    if (!plainBlock(&r_.ExamLine, ";", "the exam line"))
      return r_;
    r_.Reached = XmcSection::NameLine;
    if (!plainBlock(&r_.NameLine, "; Name: ", "the name line"))
      return r_;
    r_.Reached = XmcSection::KeyStart;
    if (!expect("START:\r\n", "the key start"))
      return r_;

    size_t runStart = pos_;
    std::string run;
    bool whole = hexRun(&run);
    if (!keyStart(run, runStart))
      return r_;
    r_.Reached = XmcSection::Log;
    std::string log = run.substr(KeyStartBytes);
    decipher(&log);
    r_.Log = log;
    if (!checkLog(runStart + 2 * KeyStartBytes) || !whole)
      return r_;
    r_.LogWhole = true;
    if (pos_ == f_.size())
      return stop(pos_, "the file ends in the session records: the session did not finish");
    if (!expect("\r\n\r\n", "the break before the summary"))
      return r_;

    r_.Reached = XmcSection::Summary;
    runStart = pos_;
    if (!hexRun(&r_.Summary))
      return r_;
    decipher(&r_.Summary);
    if (!checkSummary(runStart))
      return r_;
    if (!expect("\r\n\r\n", "the break after the summary"))
      return r_;

    r_.Reached = XmcSection::Closing;
    runStart = pos_;
    if (!hexRun(&r_.Closing))
      return r_;
    decipher(&r_.Closing);
    if (pos_ == f_.size() && cutShortOf(r_.Closing, CompleteMark))
      return stop(pos_, "the file is cut off in the complete mark");
    if (!checkClosing(runStart))
      return r_;

    r_.Reached = XmcSection::Saving;
    if (!expect("\r\n\r\nSAVING EXAM ... \r\n\r\n", "the saving mark"))
      return r_;
    if (!plainBlock(&r_.EchoLine, ";", "the exam line of the echo"))
      return r_;

    r_.Reached = XmcSection::Echo;
    runStart = pos_;
    if (!hexRun(&r_.Echo))
      return r_;
    decipher(&r_.Echo);
    if (pos_ == f_.size() && cutShortOf(r_.Echo, EchoStart))
      return stop(pos_, "the file is cut off before the echo's QUESTIONS line");
    if (!startsWith(r_.Echo, 0, EchoStart))
      return stop(runStart, "the echo does not begin with the QUESTIONS line (the key stream "
                            "does not continue here)");
    if (!echoEndsWhole())
      return stop(runStart + 2 * r_.Echo.size(), "the echo of the exam is cut off");
    if (!echoHoldsPresented())
      return stop(runStart, "the echo of the exam lacks a question the session presented (cut "
                            "off between two questions, or changed)");
    if (pos_ != f_.size())
      return stop(pos_, "unexpected bytes after the echo of the exam");
    r_.Reached = XmcSection::End;
    return r_;
  }

 private:
  XmcReading stop(size_t offset, const std::string& problem) {
    if (r_.Problem.empty()) {
      r_.Problem = problem;
      r_.ProblemOffset = offset;
    }
    return r_;
  }

  bool fail(size_t offset, const std::string& problem) {
    stop(offset, problem);
    return false;
  }

  bool expect(const char* text, const char* what) {
    size_t length = strlen(text);
    if (f_.compare(pos_, length, text) == 0) {
      pos_ += length;
      return true;
    }
    size_t have = f_.size() - pos_;
    if (have < length && f_.compare(pos_, have, text, have) == 0)
      return fail(f_.size(), std::string("the file is cut off in ") + what);
    return fail(pos_, std::string("expected ") + what + " here");
  }

  // A plain line ending in an empty line.
  bool plainBlock(std::string* out, const char* prefix, const char* what) {
    if (!startsWith(f_, pos_, prefix)) {
      if (pos_ + strlen(prefix) > f_.size() &&
          f_.compare(pos_, std::string::npos, prefix, f_.size() - pos_) == 0)
        return fail(f_.size(), std::string("the file is cut off in ") + what);
      return fail(pos_, std::string("expected ") + what + " here");
    }
    size_t end = f_.find("\r\n\r\n", pos_);
    if (end == std::string::npos)
      return fail(f_.size(), std::string("the file is cut off in ") + what);
    *out = withLineFeeds(f_.substr(pos_, end + 4 - pos_));
    pos_ = end + 4;
    return true;
  }

  // Hexadecimal digits up to a line break or the end of the file. False when a digit pair
  // is cut or a byte that is neither a digit nor a line break stands in the run; the
  // bytes before it are kept.
  bool hexRun(std::string* out) {
    while (pos_ + 1 < f_.size() && hexValue(f_[pos_]) >= 0 && hexValue(f_[pos_ + 1]) >= 0) {
      out->push_back(static_cast<char>(hexValue(f_[pos_]) * 16 + hexValue(f_[pos_ + 1])));
      pos_ += 2;
    }
    if (pos_ == f_.size() || f_[pos_] == '\r')
      return true;
    if (hexValue(f_[pos_]) >= 0 && pos_ + 1 == f_.size())
      return fail(pos_, "the file is cut off in the middle of a byte");
    char what[96];
    snprintf(what, sizeof what, "a byte 0x%02X that is not a hexadecimal digit stands in a run",
             static_cast<unsigned char>(f_[pos_]));
    return fail(pos_, what);
  }

  bool keyStart(const std::string& run, size_t runStart) {
    if (run.size() < KeyStartBytes)
      return fail(runStart + 2 * run.size(), "the file is cut off in the key start values");
    for (unsigned k = 0; k < 3; ++k) {
      std::string piece = run.substr(k * 19, 19);
      uint32_t step, position;
      if (piece[0] != static_cast<char>('0' + k) || piece[1] != ':' || piece[18] != ':' ||
          !readHex8(piece, 2, &step) || !readHex8(piece, 10, &position))
        return fail(runStart + 38 * k, "the key start values are damaged");
      if (step == 0 || step >= State.KeyLength || position >= State.KeyLength)
        return fail(runStart + 38 * k,
                    "the key start values do not fit this key data (wrong key?)");
      r_.Steps[k] = step;
      r_.StartPositions[k] = position;
    }
    cipher_ = CipherState{};
    for (int k = 0; k < 3; ++k) {
      cipher_.Steps[k] = r_.Steps[k];
      cipher_.Positions[k] = r_.StartPositions[k];
    }
    return true;
  }

  void decipher(std::string* run) {
    applyKeyStream(&cipher_, reinterpret_cast<uint8_t*>(run->data()), run->size());
  }

  bool checkTick(uint32_t tick, size_t offset) {
    // The tick count may wrap during a session; going back means more than half its range.
    if (haveTick_ && static_cast<int32_t>(tick - lastTick_) < 0) {
      char what[96];
      snprintf(what, sizeof what, "a tick goes back (tck:%08X after tck:%08X)", tick, lastTick_);
      return fail(offset, what);
    }
    haveTick_ = true;
    lastTick_ = tick;
    return true;
  }

  // The next record start: "tck:" and eight digits at the start of a line, followed by a
  // line feed or " - ANSWER ".
  size_t nextRecord(const std::string& log, size_t from) {
    for (size_t at = log.find("tck:", from); at != std::string::npos;
         at = log.find("tck:", at + 1)) {
      uint32_t tick;
      if ((at == 0 || log[at - 1] == '\n') && readHex8(log, at + 4, &tick) &&
          (startsWith(log, at + 12, "\n") || startsWith(log, at + 12, " - ANSWER ")))
        return at;
    }
    return std::string::npos;
  }

  bool checkLog(size_t logFileOffset) {
    const std::string& log = r_.Log;
    std::string pendingHeading;
    auto fileOffset = [&](size_t at) { return logFileOffset + 2 * at; };
    size_t stampEnd = log.find("\n\n");
    // From the end of the stamp: the name before it is the student's own typing.
    size_t tickAt = stampEnd == std::string::npos ? std::string::npos : log.rfind("(tck:", stampEnd);
    if (!startsWith(log, 0, "; ") || stampEnd == std::string::npos || tickAt == std::string::npos ||
        tickAt > stampEnd || !readHex8(log, tickAt + 5, &r_.StartTick) ||
        log.find(") ExamCount:", tickAt) > stampEnd) {
      if (log.size() < 24)
        return fail(fileOffset(log.size()), "the file is cut off in the start stamp");
      return fail(logFileOffset, "the start stamp does not decipher (wrong key, or damaged)");
    }
    checkTick(r_.StartTick, fileOffset(tickAt));

    size_t at = stampEnd + 2;
    while (at < log.size()) {
      size_t record = nextRecord(log, at);
      if (record != at) {
        // Only a sub-question's heading stands between records without a tick.
        bool heading = at + 3 < log.size() && log[at] >= '0' && log[at] <= '9';
        if (!heading || record == std::string::npos)
          return fail(fileOffset(at), record == std::string::npos && heading
                                          ? "the file is cut off after a sub-question heading"
                                          : "a session record is damaged");
        size_t textAt = log.find(". ", at);
        size_t lineEnd = log.find('\n', at);
        if (textAt != std::string::npos && textAt < lineEnd)
          pendingHeading = log.substr(textAt + 2, lineEnd - textAt - 2);
        at = record;
      }
      XmcEvent event;
      readHex8(log, at + 4, &event.Tick);
      if (!checkTick(event.Tick, fileOffset(at)))
        return false;
      size_t body = at + 12;
      if (startsWith(log, body, " - ANSWER CONFIRMED:\n") ||
          startsWith(log, body, " - ANSWER REJECTED:\n")) {
        event.What = log[body + 10] == 'C' ? XmcEvent::Confirmed : XmcEvent::Rejected;
        size_t lineStart = log.find('\n', body) + 1;
        size_t lineEnd = log.find('\n', lineStart);
        if (lineEnd == std::string::npos)
          return fail(fileOffset(log.size()), "the file is cut off in an answer record");
        event.Label = log.substr(lineStart, lineEnd - lineStart);
        at = lineEnd + 1;
      } else if (startsWith(log, body, "\n****** ")) {
        size_t end = log.find(" *****\n\n", body + 8);
        if (end == std::string::npos)
          return fail(fileOffset(log.size()), "the file is cut off in an end command record");
        event.What = XmcEvent::EndCommand;
        event.Label = log.substr(body + 8, end - body - 8);
        at = end + 8;
      } else {
        size_t open = log.find(" (", body + 1);
        size_t lineEnd = log.find('\n', body + 1);
        if (open == std::string::npos || lineEnd == std::string::npos || open > lineEnd) {
          if (lineEnd == std::string::npos)
            return fail(fileOffset(log.size()), "the file is cut off in a question record");
          return fail(fileOffset(at), "a question record is damaged");
        }
        event.What = XmcEvent::Question;
        event.Label = log.substr(body + 1, open - body - 1);
        size_t textStart = log.find(") ", open);
        if (textStart != std::string::npos && textStart < lineEnd) {
          event.FirstLine = log.substr(textStart + 2, lineEnd - textStart - 2);
          size_t unit = log.find(" pt", open);
          if (unit != std::string::npos && unit < textStart)
            event.Points = log.substr(open + 2, unit - open - 2);
        }
        if (event.Label.size() > 3 && event.Label.back() == '.' &&
            event.Label[event.Label.size() - 3] == '.')
          event.Heading = pendingHeading;
        size_t next = nextRecord(log, lineEnd + 1);
        if (next == std::string::npos) {
          // The last record of a cut session: its text ends with a line feed.
          if (log.back() != '\n')
            return fail(fileOffset(log.size()), "the file is cut off in a question record");
          next = log.size();
        }
        at = next;
      }
      r_.Events.push_back(event);
    }
    return true;
  }

  // The echo runs to the end of the file without an end mark, so a cut between two of
  // its records is found from its content: every pool is closed, it ends with an empty
  // line, and every question the session presented is in it. (A cut right after a
  // question that was never presented cannot be seen.)
  bool echoEndsWhole() {
    const std::string& e = r_.Echo;
    size_t opened = 0, closed = 0;
    for (size_t p = e.find("***** OPEN POOL *****"); p != std::string::npos;
         p = e.find("***** OPEN POOL *****", p + 1))
      ++opened;
    for (size_t p = e.find("***** CLOSE POOL *****"); p != std::string::npos;
         p = e.find("***** CLOSE POOL *****", p + 1))
      ++closed;
    if (opened != closed || e.size() < 2 || e.compare(e.size() - 2, 2, "\n\n") != 0)
      return false;
    return lastQuestionEndsWhole();
  }

  // A question with sub-questions ends with one line feed more than its last
  // sub-question's answers ("\n\n" after answer lines, "\n" when it has none): without
  // it, the echo was cut right before its last record.
  bool lastQuestionEndsWhole() {
    const std::string& e = r_.Echo;
    // A pool closed after the last question: its marker follows the question's end (the
    // pool count has checked that it is there).
    size_t end = e.size();
    size_t close = e.rfind("}\n;  ***** CLOSE POOL *****");
    bool hasSubQuestions = false;
    size_t lastContent = std::string::npos;  // the last line that is not empty
    for (size_t at = 0; at < e.size();) {
      size_t lineEnd = e.find('\n', at);
      if (lineEnd == std::string::npos)
        lineEnd = e.size();
      if (numberedLine(e, at, false)) {
        hasSubQuestions = false;
        if (close != std::string::npos && at > close)
          close = std::string::npos;  // that pool was not the last thing
      } else if (numberedLine(e, at, true)) {
        hasSubQuestions = true;
      }
      if (lineEnd > at && (close == std::string::npos || at < close))
        lastContent = at;
      at = lineEnd + 1;
    }
    if (close != std::string::npos) {
      if (e.compare(e.size() - 4, 4, "]\n\n\n") != 0)
        return false;  // cut in the marker itself
      end = close;
    }
    if (!hasSubQuestions || lastContent == std::string::npos)
      return true;
    bool answered = startsWith(e, lastContent, "   &") || startsWith(e, lastContent, "   !");
    const char* tail = answered ? "\n\n\n\n" : "\n\n\n";
    size_t need = strlen(tail);
    return end >= need && e.compare(end - need, need, tail) == 0;
  }

  bool echoHoldsPresented() {
    for (const XmcEvent& event : r_.Events)
      if (event.What == XmcEvent::Question && r_.Echo.find(event.FirstLine) == std::string::npos)
        return false;
    return true;
  }

  bool checkSummary(size_t runStart) {
    size_t at = 0;
    const std::string& s = r_.Summary;
    while (at < s.size()) {
      if (!startsWith(s, at, "Ques# ") && !startsWith(s, at, "SubQ# "))
        return fail(runStart + 2 * at,
                    "the summary does not decipher (the key stream does not continue here)");
      size_t end = s.find('\n', at);
      if (end == std::string::npos)
        return fail(runStart + 2 * s.size(), "the summary is cut off");
      at = end + 1;
    }
    return true;
  }

  bool checkClosing(size_t runStart) {
    const std::string& c = r_.Closing;
    const char* mark = CompleteMark;
    if (!startsWith(c, 0, mark))
      return fail(runStart, "the complete mark does not decipher");
    // From the end: the name in the stamp is the student's own typing.
    size_t tickAt = c.rfind("(tck:");
    if (!startsWith(c, strlen(mark), "; ") || tickAt == std::string::npos ||
        !readHex8(c, tickAt + 5, &r_.EndTick) || !startsWith(c, tickAt + 13, ")\n\n") ||
        tickAt + 16 != c.size())
      return fail(runStart + 2 * strlen(mark), "the finish stamp is damaged or cut off");
    r_.HasEndTick = true;
    return checkTick(r_.EndTick, runStart + 2 * tickAt);
  }

  const std::string& f_;
  size_t pos_ = 0;
  XmcReading r_;
  CipherState cipher_;
  bool haveTick_ = false;
  uint32_t lastTick_ = 0;
};

}  // namespace

bool isSkipAnswer(const std::string& answer) {
  if (answer.size() != 5)
    return false;
  for (size_t i = 0; i < 5; ++i)
    if (tolower(static_cast<unsigned char>(answer[i])) != "#skip"[i])
      return false;
  return true;
}

const char* xmcSectionName(XmcSection section) {
  switch (section) {
    case XmcSection::ExamLine: return "the exam line";
    case XmcSection::NameLine: return "the name line";
    case XmcSection::KeyStart: return "the key start";
    case XmcSection::Log: return "the session records";
    case XmcSection::Summary: return "the answer summary";
    case XmcSection::Closing: return "the complete mark and finish stamp";
    case XmcSection::Saving: return "the saving mark";
    case XmcSection::Echo: return "the echo of the exam";
    case XmcSection::End: return "the end";
  }
  return "?";
}

XmcReading readXmc(const std::string& bytes) {
  return Reader(bytes).run();
}

std::string xmcTranscript(const XmcReading& r, const std::string* summary) {
  std::string out = r.ExamLine + r.NameLine;
  if (r.Reached >= XmcSection::Log) {
    out += "START:\n";
    char line[64];
    for (int k = 0; k < 3; ++k) {
      snprintf(line, sizeof line, "%d:%08X%08X:", k, r.Steps[k], r.StartPositions[k]);
      out += line;
    }
    out += "\n" + r.Log;
  }
  if (r.Reached >= XmcSection::Summary)
    out += "\n\n" + (summary ? *summary : r.Summary);
  if (r.Reached >= XmcSection::Closing)
    out += "\n\n" + r.Closing;
  if (r.Reached >= XmcSection::Echo)
    out += "\n\nSAVING EXAM ... \n\n" + r.EchoLine + r.Echo;
  return out;
}

std::string xmcTimeline(const XmcReading& r) {
  std::string out = "shown at    question   outcome\n";
  char line[192];
  for (size_t i = 0; i < r.Events.size(); ++i) {
    const XmcEvent& shown = r.Events[i];
    if (shown.What != XmcEvent::Question)
      continue;
    uint32_t at = shown.Tick - r.StartTick;
    std::string outcome = "not answered";
    char after[48];
    // An end command the student took back is followed by more records of the question.
    for (size_t j = i + 1; j < r.Events.size() && r.Events[j].What != XmcEvent::Question; ++j) {
      const XmcEvent& e = r.Events[j];
      uint32_t ms = e.Tick - shown.Tick;
      snprintf(after, sizeof after, " after %u.%03u s", ms / 1000, ms % 1000);
      if (e.What == XmcEvent::Confirmed) {
        // A confirmed #skip puts the question off; it answers nothing.
        bool skip = isSkipAnswer(e.Label);
        outcome = (skip ? "skipped" : "answered") + std::string(after);
        break;
      }
      if (e.What == XmcEvent::EndCommand) {
        bool last = j + 1 == r.Events.size() && r.HasEndTick;
        outcome = (last ? "ended with " + e.Label : e.Label + " typed") + after;
      }
    }
    snprintf(line, sizeof line, "%4u:%02u.%03u  %-9s  ", at / 60000, at / 1000 % 60, at % 1000,
             shown.Label.c_str());
    out += line + outcome + "\n";
  }
  return out;
}
