#include "result/xmc_analysis.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "state/program_state.h"
#include "state/session_clock.h"

namespace {

const char* const NoAnswerTexts[] = {"<<<(OTime)>>>: No Answer.", "<<<(EXIT DONE)>>>: No Answer."};

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The text from *at up to the next after; moves *at past that after.
bool takeBetween(const std::string& text, size_t* at, const char* after, std::string* out) {
  size_t end = text.find(after, *at);
  if (end == std::string::npos)
    return false;
  *out = text.substr(*at, end - *at);
  *at = end + strlen(after);
  return true;
}

// ";%s;  %s: %s: (%s) ---> %s:  TimeLimit: %u minutes  ---  Version  %5.2f".
void readExamLine(const std::string& line, XmcAnalysis* a) {
  size_t at = 1;
  if (line.empty() || line[0] != ';')
    return;
  size_t limitAt = line.rfind(":  TimeLimit: ");
  if (limitAt == std::string::npos)
    return;
  std::string head = line.substr(0, limitAt) + ":";
  if (!takeBetween(head, &at, ";  ", &a->Semester) ||
      !takeBetween(head, &at, ": ", &a->CourseNumber) ||
      !takeBetween(head, &at, ": (", &a->CourseName) ||
      !takeBetween(head, &at, ") ---> ", &a->Section))
    return;
  a->ExamName = head.substr(at, head.size() - 1 - at);
  a->TimeLimitMinutes = static_cast<uint32_t>(strtoul(line.c_str() + limitAt + 14, nullptr, 10));
  a->HasExamLine = true;
}

// "; Name: %s (%s)": the identifier is in the last parentheses, the name may hold any.
void readNameLine(const std::string& line, XmcAnalysis* a) {
  const char* prefix = "; Name: ";
  size_t end = line.find("\n\n");
  if (line.compare(0, strlen(prefix), prefix) != 0 || end == std::string::npos || end < 2 ||
      line[end - 1] != ')')
    return;
  size_t open = line.rfind(" (", end);
  if (open == std::string::npos || open < strlen(prefix))
    return;
  a->StudentName = line.substr(strlen(prefix), open - strlen(prefix));
  a->StudentId = line.substr(open + 2, end - 1 - open - 2);
  a->HasName = true;
}

// "; NAME (ID) @ YYYY/MM/DD::HH:MM:SS": the local time as "YYYY/MM/DD HH:MM:SS".
std::string stampTime(const std::string& stamp) {
  // From the end: the name before it is the student's own typing.
  size_t at = stamp.rfind(" @ ");
  if (at == std::string::npos || at + 3 + 20 > stamp.size())
    return "";
  std::string date = stamp.substr(at + 3, 20);
  if (date.compare(10, 2, "::") != 0)
    return "";
  return date.substr(0, 10) + " " + date.substr(12);
}

// The stamps carry the name and identifier again, enciphered: a name line changed in
// the plain part no longer matches them.
bool stampNamesStudent(const std::string& stamp, const XmcAnalysis& a) {
  std::string expected = "; " + a.StudentName + " (" + a.StudentId + ") @ ";
  return stamp.compare(0, expected.size(), expected) == 0;
}

void readStamps(const XmcReading& r, XmcAnalysis* a) {
  if (r.Reached < XmcSection::Log || r.Log.empty())
    return;
  size_t stampEnd = r.Log.find("\n\n");
  std::string stamp = r.Log.substr(0, stampEnd);
  a->StartTime = stampTime(stamp);
  size_t count = stamp.rfind(") ExamCount:");
  // The reader takes the start tick only from a stamp that deciphers whole.
  a->HasStart = stampEnd != std::string::npos && count != std::string::npos && count < stampEnd;
  if (a->HasStart) {
    const char* digits = stamp.c_str() + count + 12;
    char* end = nullptr;
    unsigned long value = strtoul(digits, &end, 16);
    if (end != digits) {
      a->ExamCount = static_cast<int32_t>(static_cast<uint32_t>(value));
      a->HasExamCount = true;
    }
  }
  if (stampEnd != std::string::npos && a->HasName && !stampNamesStudent(stamp, *a))
    a->Mismatch = "the name line does not match the start stamp";
  if (r.HasEndTick) {
    std::string finish = r.Closing.substr(strlen("\n\nEXAM COMPLETE:\n\n"));
    a->FinishTime = stampTime(finish);
    if (a->Mismatch.empty() && a->HasName && !stampNamesStudent(finish, *a))
      a->Mismatch = "the name line does not match the finish stamp";
  }
}

// The time used runs to the last session record. The finish stamp is taken only after
// the student has left the last screen (and confirmed an end command, and dismissed a
// time warning), so the time from that record to the stamp is kept apart.
void readTimes(const XmcReading& r, XmcAnalysis* a) {
  if (!a->HasStart)
    return;
  uint32_t last = r.Events.empty() ? r.StartTick : r.Events.back().Tick;
  // Whole seconds of the tick count, as the session counted them, across a wrap too.
  a->UsedSeconds = elapsedSecondsBetween(r.StartTick, last);
  if (r.HasEndTick) {
    a->Finished = true;
    uint32_t end = elapsedSecondsBetween(r.StartTick, r.EndTick);
    a->ClosedAfterSeconds = end > a->UsedSeconds ? end - a->UsedSeconds : 0;
  }
  int64_t allowance = static_cast<int64_t>(a->TimeLimitMinutes) * 60;
  a->LateSeconds = static_cast<int64_t>(a->UsedSeconds) - allowance;
}

std::string trimmedPoints(const std::string& points);

std::string labelFor(int number, char letter) {
  char label[32];
  if (letter)
    snprintf(label, sizeof label, "%02d.%c.", number, letter);
  else
    snprintf(label, sizeof label, "%02d.", number);
  return label;
}

XmcEntry* entryFor(std::vector<XmcEntry>* entries, const std::string& label) {
  for (XmcEntry& e : *entries)
    if (e.Label == label)
      return &e;
  entries->push_back(XmcEntry{});
  entries->back().Label = label;
  return &entries->back();
}

// "Ques# %d.    ==> %s" or "SubQ# %d.%c. --> %s".
struct SummaryLine {
  int Number = 0;
  char Letter = 0;
  size_t LabelEnd = 0;  // just past "%d." or "%d.%c."
  size_t AnswerAt = 0;
};

bool readSummaryLine(const std::string& line, SummaryLine* out) {
  bool part = line.compare(0, 6, "SubQ# ") == 0;
  if (!part && line.compare(0, 6, "Ques# ") != 0)
    return false;
  size_t at = 6;
  while (at < line.size() && isDigit(line[at]) && at < 12)
    out->Number = out->Number * 10 + (line[at++] - '0');
  if (at == 6 || line.compare(at, 1, ".") != 0)
    return false;
  ++at;
  if (part) {
    if (at + 1 >= line.size() || line[at + 1] != '.')
      return false;
    out->Letter = line[at];
    at += 2;
  }
  const char* arrow = part ? " --> " : "    ==> ";
  if (line.compare(at, strlen(arrow), arrow) != 0)
    return false;
  out->LabelEnd = at;
  out->AnswerAt = at + strlen(arrow);
  return true;
}

// Questions and answers in the order of the session records. Returns whether a question
// came up again after it had been answered, which only an exam with review on does.
bool readEntries(const XmcReading& r, XmcAnalysis* a) {
  // An answer belongs to the question presented last; entries grow, so keep its index.
  size_t current = SIZE_MAX;
  std::map<std::string, std::string> confirmed;
  bool reviewSeen = false;
  for (const XmcEvent& e : r.Events) {
    switch (e.What) {
      case XmcEvent::Question: {
        XmcEntry* entry = entryFor(&a->Entries, e.Label);
        auto was = confirmed.find(e.Label);
        if (was != confirmed.end() && !isSkipAnswer(was->second))
          reviewSeen = true;
        entry->Presented = true;
        entry->Text = e.FirstLine;
        entry->Heading = e.Heading;
        entry->Points = trimmedPoints(e.Points);
        current = static_cast<size_t>(entry - a->Entries.data());
        break;
      }
      case XmcEvent::Confirmed:
        if (current == SIZE_MAX)
          break;
        a->Entries[current].Answer = e.Label;
        a->Entries[current].HasAnswer = true;
        confirmed[a->Entries[current].Label] = e.Label;
        if (isSkipAnswer(e.Label))
          ++a->SkipsUsed;
        break;
      case XmcEvent::Rejected:
      case XmcEvent::EndCommand:
        break;
    }
  }
  // A fourth #skip is confirmed and recorded, then refused: the list holds three.
  if (a->SkipsUsed > 3)
    a->SkipsUsed = 3;

  // The summary lists every entry of the question list with its final answer.
  const std::string& s = r.Summary;
  std::set<std::string> listed;
  for (size_t at = 0; at < s.size();) {
    size_t end = s.find('\n', at);
    if (end == std::string::npos)
      break;
    std::string line = s.substr(at, end - at);
    at = end + 1;
    SummaryLine parsed;
    if (!readSummaryLine(line, &parsed))
      continue;
    XmcEntry* entry = entryFor(&a->Entries, labelFor(parsed.Number, parsed.Letter));
    listed.insert(entry->Label);
    std::string answer = line.substr(parsed.AnswerAt);
    auto was = confirmed.find(entry->Label);
    if (was != confirmed.end() && was->second != answer && a->Mismatch.empty())
      a->Mismatch = "the summary's answer to " + entry->Label +
                    " differs from the answer confirmed in the session records";
    entry->Answer = answer;
    entry->HasAnswer = true;
  }

  // Every question the session presented is an entry of its question list.
  if (r.Reached >= XmcSection::Closing && a->Mismatch.empty())
    for (const XmcEntry& e : a->Entries)
      if (e.Presented && !listed.count(e.Label)) {
        a->Mismatch = "the session records present " + e.Label + ", which the summary does not list";
        break;
      }

  // The echo holds every answer once more, as " &ANSWER" (three blanks for a part).
  if (r.Reached == XmcSection::End) {
    for (const XmcEntry& e : a->Entries) {
      if (!e.HasAnswer || !a->Mismatch.empty())
        continue;
      bool part = e.Label.size() > 3 && e.Label[e.Label.size() - 3] == '.';
      std::string mark = e.Answer.empty() || (e.Answer[0] != '&' && e.Answer[0] != '!') ? "&" : "";
      std::string line = std::string(part ? "\n   " : "\n ") + mark + e.Answer + "\n";
      if (r.Echo.find(line) == std::string::npos)
        a->Mismatch = "the echo's answer to " + e.Label + " differs from the summary's";
    }
  }

  for (XmcEntry& e : a->Entries) {
    if (e.Presented)
      ++a->Presented;
    auto was = confirmed.find(e.Label);
    e.Answered = e.Presented && was != confirmed.end() && !isSkipAnswer(was->second);
    if (e.Answered)
      ++a->Answered;
  }
  return reviewSeen;
}

bool isNoAnswerMark(const std::string& answer) {
  return answer == NoAnswerTexts[0] || answer == NoAnswerTexts[1];
}

// A file that stops where the student, having answered every question put to him, was
// shown the last screen: killed there, or the terminal closed. Nothing after his last
// answer is lost but the closing part the program writes once that screen is left.
bool endsAfterLastAnswer(const XmcReading& r, const XmcAnalysis& a) {
  if (!r.cut() || !r.LogWhole || r.HasEndTick || r.Events.empty() ||
      r.Events.back().What != XmcEvent::Confirmed || isSkipAnswer(r.Events.back().Label))
    return false;
  for (const XmcEntry& e : a.Entries)
    if (!e.Answered)
      return false;
  return true;
}

// How the session ended, from what the program writes at its end: the no-answer marks
// say why it ended (OTime: the allowance ran out; EXIT DONE: an end command), and the
// session records end where the student's last action was.
void readEnd(const XmcReading& r, XmcAnalysis* a, bool reviewSeen) {
  // The whole summary is written only once the session is over.
  bool over = r.HasEndTick || r.Reached >= XmcSection::Closing;
  if (!over) {
    a->End = endsAfterLastAnswer(r, *a) ? XmcEnd::AfterLastAnswer : XmcEnd::CutShort;
    a->EndKnown = a->HasStart && a->End == XmcEnd::AfterLastAnswer;
    return;
  }
  a->EndKnown = a->HasStart;
  bool timeMarks = false, commandMarks = false, skipLeft = false;
  for (const XmcEntry& e : a->Entries) {
    timeMarks = timeMarks || e.Answer == NoAnswerTexts[0];
    commandMarks = commandMarks || e.Answer == NoAnswerTexts[1];
    skipLeft = skipLeft || isSkipAnswer(e.Answer);
  }
  const XmcEvent* last = r.Events.empty() ? nullptr : &r.Events.back();
  if (timeMarks) {
    a->End = XmcEnd::Time;
  } else if (last && last->What == XmcEvent::EndCommand) {
    a->End = XmcEnd::Command;
    a->EndCommand = last->Label;
  } else if (!last || last->What != XmcEvent::Confirmed || skipLeft || reviewSeen) {
    // A question left open (skipped), a question shown or an answer taken back last, or
    // an exam with review on: only the time ends a session there.
    a->End = XmcEnd::Time;
  } else {
    a->End = XmcEnd::AllAnswered;
  }

  if (!a->Mismatch.empty())
    return;
  if (commandMarks && a->End != XmcEnd::Command)
    a->Mismatch = "the summary marks unanswered questions as ended by a command, but the "
                  "session records do not end with one";
  // The program ends a session on time only when a question comes up 4 seconds or more
  // past the allowance, and takes its finish stamp after that.
  if (a->End == XmcEnd::Time && a->Finished && a->HasExamLine) {
    int64_t endPast = static_cast<int64_t>(a->UsedSeconds) + a->ClosedAfterSeconds -
                      static_cast<int64_t>(a->TimeLimitMinutes) * 60;
    if (endPast < 4)
      a->Mismatch = "the session ended on time, but its finish stamp is less than 4 s past the "
                    "allowance";
  }
}

// The echo's question lines: "%u. TEXT" or "%u. (%5.1f pts) TEXT" at the start of a
// line, sub-questions as "   %u.%c. (1 pt) TEXT" or "   %u.%c. (%5.1f pts) TEXT".
// (  2.0 pts) or (1 pt) at text[at]: the points, and *at moved past them.
bool takePoints(const std::string& text, size_t* at, std::string* points) {
  if (text.compare(*at, 1, "(") != 0)
    return false;
  size_t close = text.find(") ", *at);
  size_t lineEnd = text.find('\n', *at);
  if (close == std::string::npos || close > lineEnd)
    return false;
  std::string inside = text.substr(*at + 1, close - *at - 1);
  size_t unit = inside.rfind(" pt");
  if (unit == std::string::npos ||
      (inside.compare(unit, 4, " pts") != 0 && unit + 3 != inside.size()))
    return false;
  std::string number = inside.substr(0, unit);
  size_t first = number.find_first_not_of(' ');
  if (first == std::string::npos)
    return false;
  number = number.substr(first);
  for (char c : number)
    if (!isDigit(c) && c != '.' && c != '-')
      return false;
  *points = number.find('.') == std::string::npos ? number + ".0" : number;
  *at = close + 2;
  return true;
}

void readEcho(const std::string& echo, std::vector<XmcExamQuestion>* questions) {
  unsigned lastSlot = 0;
  std::string questionLine, questionPoints;
  bool questionHasSubs = true;  // nothing open yet
  auto closeQuestion = [&] {
    if (!questionHasSubs)
      questions->push_back({std::to_string(lastSlot), questionPoints, questionLine, ""});
  };
  for (size_t at = 0; at < echo.size();) {
    size_t lineEnd = echo.find('\n', at);
    if (lineEnd == std::string::npos)
      lineEnd = echo.size();
    size_t p = at;
    bool sub = echo.compare(at, 3, "   ") == 0;
    if (sub)
      p += 3;
    unsigned slot = 0;
    size_t digits = p;
    while (p < lineEnd && isDigit(echo[p]) && p - digits < 5)
      slot = slot * 10 + static_cast<unsigned>(echo[p++] - '0');
    if (p > digits && echo.compare(p, 1, ".") == 0) {
      ++p;
      // Only question lines begin with a digit: answer lines begin with a blank, choices
      // with their letter, and continuation lines keep their '\'. Slot numbers rise.
      if (!sub && echo.compare(p, 1, " ") == 0 && slot > lastSlot) {
        closeQuestion();
        ++p;
        lastSlot = slot;
        questionPoints.clear();
        takePoints(echo, &p, &questionPoints);
        questionLine = echo.substr(p, lineEnd - p);
        questionHasSubs = false;
      } else if (sub && slot == lastSlot && p + 2 < lineEnd && echo[p] >= 'a' &&
                 echo[p] <= 'z' && echo.compare(p + 1, 2, ". ") == 0) {
        std::string number = std::to_string(slot) + "." + echo[p];
        p += 3;
        std::string points;
        if (takePoints(echo, &p, &points)) {
          questions->push_back({number, points, questionLine, echo.substr(p, lineEnd - p)});
          questionHasSubs = true;
        }
      }
    }
    at = lineEnd + 1;
  }
  closeQuestion();
}

std::string trimmedPoints(const std::string& points) {
  size_t first = points.find_first_not_of(' ');
  return first == std::string::npos ? "" : points.substr(first);
}

}  // namespace

XmcAnalysis analyzeXmc(const XmcReading& reading) {
  XmcAnalysis a;
  readExamLine(reading.ExamLine, &a);
  readNameLine(reading.NameLine, &a);
  readStamps(reading, &a);
  readTimes(reading, &a);
  bool reviewSeen = readEntries(reading, &a);
  a.Questions = static_cast<int>(a.Entries.size());
  a.AllQuestionsKnown = reading.Reached >= XmcSection::Closing;
  readEnd(reading, &a, reviewSeen);
  readEcho(reading.Echo, &a.ExamQuestions);
  numberEntries(&a.Entries, a.ExamQuestions);
  return a;
}

void numberEntries(std::vector<XmcEntry>* entries, const std::vector<XmcExamQuestion>& exam) {
  std::vector<bool> used(exam.size(), false);
  for (const XmcEntry& e : *entries)
    for (size_t i = 0; i < exam.size(); ++i)
      if (!e.ExamNumber.empty() && exam[i].Number == e.ExamNumber)
        used[i] = true;
  for (XmcEntry& e : *entries) {
    if (!e.Presented || !e.ExamNumber.empty())
      continue;
    bool sub = !e.Heading.empty();
    std::string letter = sub ? std::string(".") + e.Label[e.Label.size() - 2] : "";
    // The same first line of text and the same points, one not taken by another entry;
    // two questions that begin alike take the first free one.
    size_t found = exam.size();
    for (size_t i = 0; i < exam.size(); ++i) {
      const XmcExamQuestion& q = exam[i];
      bool isSub = q.Number.find('.') != std::string::npos;
      if (used[i] || isSub != sub || q.FirstLine != (sub ? e.Heading : e.Text))
        continue;
      if (sub && q.Number.compare(q.Number.size() - 2, 2, letter) != 0)
        continue;
      if (q.Points == e.Points || (q.Points.empty() && found == exam.size()))
        found = i;
      if (q.Points == e.Points)
        break;
    }
    if (found == exam.size())
      continue;
    used[found] = true;
    e.ExamNumber = exam[found].Number;
  }
}

bool givesAnswer(const XmcEntry& e) {
  return e.Presented && e.HasAnswer && !e.Answer.empty() && !isNoAnswerMark(e.Answer) &&
         !isSkipAnswer(e.Answer);
}

std::string xmcEndText(XmcEnd end, const std::string& endCommand) {
  switch (end) {
    case XmcEnd::Command: return endCommand;
    case XmcEnd::Time: return "time";
    case XmcEnd::AllAnswered: return "all answered";
    case XmcEnd::AfterLastAnswer: return "after last answer";
    case XmcEnd::CutShort: return "cut short";
  }
  return "";
}

std::string questionsPresented(int count) {
  if (count == 1)
    return "the one question it presented";
  return "each of the " + std::to_string(count) + " questions it presented";
}

std::string formatDuration(uint64_t seconds) {
  if (seconds >= 3600)
    return formatHoursMinutesSeconds(seconds);
  char text[48];
  snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(seconds / 60),
           static_cast<unsigned long long>(seconds % 60));
  return text;
}

std::string formatHoursMinutesSeconds(uint64_t seconds) {
  char text[48];
  snprintf(text, sizeof text, "%llu:%02llu:%02llu", static_cast<unsigned long long>(seconds / 3600),
           static_cast<unsigned long long>(seconds / 60 % 60),
           static_cast<unsigned long long>(seconds % 60));
  return text;
}

std::string xmcLateText(const XmcAnalysis& a) {
  // A file cut short may have gone on past its last record: how late is not known.
  if (!a.HasStart || !a.HasExamLine || !a.EndKnown)
    return "";
  return formatLateness(a.LateSeconds);
}

std::string formatLateness(int64_t lateSeconds) {
  if (lateSeconds > 0)
    return "late " + formatDuration(static_cast<uint64_t>(lateSeconds));
  return "left " + formatDuration(static_cast<uint64_t>(-lateSeconds));
}

std::string xmcEndLine(const XmcAnalysis& a) {
  std::string text;
  switch (a.End) {
    case XmcEnd::Command: text = "The session ended with " + a.EndCommand + " as typed."; break;
    case XmcEnd::Time: text = "The session ended when the time allowance ran out."; break;
    case XmcEnd::AllAnswered: text = "The session ended with every question answered."; break;
    case XmcEnd::AfterLastAnswer:
      text = "The file ends after an answer to " + questionsPresented(a.Presented) +
             ", without its closing part.";
      break;
    case XmcEnd::CutShort: text = "The session was cut short: the file has no finish stamp."; break;
  }
  if (a.End != XmcEnd::AfterLastAnswer && a.End != XmcEnd::CutShort && !a.Finished)
    text += " The file ends before its finish stamp.";
  text += "\n";
  if (!a.HasStart)
    return text;
  std::string allowed =
      a.HasExamLine ? " of " + formatDuration(uint64_t{a.TimeLimitMinutes} * 60) + " allowed" : "";
  if (!a.EndKnown)
    return text + "Its last record came " + formatDuration(a.UsedSeconds) + " after the start" +
           (allowed.empty() ? "" : "," + allowed) + ".\n";
  text += "Time used: " + formatDuration(a.UsedSeconds) + allowed;
  if (a.HasExamLine)
    text += ", " + xmcLateText(a);
  text += " (from the start stamp to the last session record).\n";
  if (a.Finished)
    text += "The finish stamp came " + formatDuration(a.ClosedAfterSeconds) +
            " after that record; that wait is not time used.\n";
  return text;
}

std::string xmcNumberedSummary(const XmcReading& r, const XmcAnalysis& a) {
  std::string out;
  const std::string& s = r.Summary;
  for (size_t at = 0; at < s.size();) {
    size_t end = s.find('\n', at);
    if (end == std::string::npos)
      end = s.size();
    std::string line = s.substr(at, end - at);
    at = end + 1;
    SummaryLine parsed;
    if (readSummaryLine(line, &parsed)) {
      std::string label = labelFor(parsed.Number, parsed.Letter);
      for (const XmcEntry& e : a.Entries)
        if (e.Label == label && !e.ExamNumber.empty())
          line.insert(parsed.LabelEnd, " (exam " + e.ExamNumber + ")");
    }
    out += line + (end < s.size() ? "\n" : "");
  }
  return out;
}
