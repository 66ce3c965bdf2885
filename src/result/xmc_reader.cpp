#include "result/xmc_reader.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "examfile/cipher.h"
#include "result/xmc_echo_check.h"
#include "result/xmc_form.h"
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

bool sameLetters(const std::string& text, const char* word) {
  if (text.size() != strlen(word))
    return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (tolower(static_cast<unsigned char>(text[i])) != word[i])
      return false;
  return true;
}

// Whether what is left of a run is a piece of what should stand there.
bool cutShortOf(const std::string& got, const char* expected) {
  return got.size() < strlen(expected) && startsWith(expected, 0, got.c_str());
}

const char* const CompleteMark = "\n\nEXAM COMPLETE:\n\n";
const char* const EchoStart = "\n\nQUESTIONS:  (";
const char* const HalfByte = "the file is cut off in the middle of a byte";
// The stamps after the student's name and identifier: the start stamp's exam count follows.
const char* const StartStampForm = "####/##/##::##:##:## (tck:%%%%%%%%) ExamCount:";
const char* const FinishStampForm = "####/##/##::##:##:##  (tck:%%%%%%%%)\n\n";

// How a session record begins: a tick, then a line feed (a question or an end command)
// or the mark of an answer.
enum class RecordStart { None, Cut, Line, Confirmed, Rejected };

RecordStart recordStart(const std::string& log, size_t* at) {
  FormScan tick(log, *at);
  tick.pattern("tck:%%%%%%%%");
  if (tick.result() != Fit::Whole)
    return tick.result() == Fit::Part ? RecordStart::Cut : RecordStart::None;
  FormScan line(log, tick.at()), confirmed(log, tick.at()), rejected(log, tick.at());
  line.literal("\n");
  confirmed.literal(" - ANSWER CONFIRMED:\n");
  rejected.literal(" - ANSWER REJECTED:\n");
  for (const auto& [scan, kind] : {std::pair{&line, RecordStart::Line},
                                   std::pair{&confirmed, RecordStart::Confirmed},
                                   std::pair{&rejected, RecordStart::Rejected}}) {
    if (scan->whole()) {
      *at = scan->at();
      return kind;
    }
  }
  Fit any = eitherFit(line.result(), eitherFit(confirmed.result(), rejected.result()));
  return any == Fit::Part ? RecordStart::Cut : RecordStart::None;
}

// A power cut keeps a file up to any byte, so a file that stops inside a record is cut
// short: the record that cannot be read is followed by nothing. A record that cannot be
// read and is followed by more of the file is damage. What stands before the end must
// still be the beginning of a record as the program writes it: text that no record begins
// with is damage (or another key) wherever it stands.
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
    // A run with a stray byte in it is still read up to that byte: the records before
    // the damage are the student's.
    bool runWhole = hexRun(&run);
    if (!keyStart(run, runStart))
      return r_;
    r_.Reached = XmcSection::Log;
    r_.Log = run.substr(KeyStartBytes);
    decipher(&r_.Log);
    if (!checkLog(runStart + 2 * KeyStartBytes) || !runWhole)
      return r_;
    if (halfByte_)
      return cut(HalfByte);
    r_.LogWhole = true;
    if (atEnd_)
      return cut("the file ends in the session records: the session did not finish");
    if (!expect("\r\n\r\n", "the break before the summary"))
      return r_;

    r_.Reached = XmcSection::Summary;
    runStart = pos_;
    if (!hexRun(&r_.Summary))
      return r_;
    decipher(&r_.Summary);
    if (!checkSummary(runStart))
      return r_;
    if (halfByte_)
      return cut(HalfByte);
    if (!expect("\r\n\r\n", "the break after the summary"))
      return r_;

    r_.Reached = XmcSection::Closing;
    runStart = pos_;
    if (!hexRun(&r_.Closing))
      return r_;
    decipher(&r_.Closing);
    if (!checkClosing(runStart))
      return r_;
    if (halfByte_)
      return cut(HalfByte);

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
    if (!atEnd_)
      return stop(pos_, "unexpected bytes after the echo of the exam");
    return readEcho(runStart);
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

  // The file stops here: the cut is where its bytes stop.
  XmcReading cut(const char* what) {
    return stop(f_.size(), halfByte_ ? HalfByte : what);
  }
  bool cutOff(const char* what) {
    cut(what);
    return false;
  }

  // A record the run stops inside: a cut when the run is the end of the file, else damage
  // at its place.
  bool endsInside(size_t offset, const char* cutWhat, const char* damageWhat) {
    return atEnd_ ? cutOff(cutWhat) : fail(offset, damageWhat);
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

  // Hexadecimal digits up to a line break or the end of the file, as bytes. A digit alone
  // at the very end is half a byte: the run ends there, cut. False when a byte that is
  // neither a digit nor a line break stands in the run; the bytes before it are kept.
  bool hexRun(std::string* out) {
    halfByte_ = false;
    while (pos_ + 1 < f_.size() && hexValue(f_[pos_]) >= 0 && hexValue(f_[pos_ + 1]) >= 0) {
      out->push_back(static_cast<char>(hexValue(f_[pos_]) * 16 + hexValue(f_[pos_ + 1])));
      pos_ += 2;
    }
    atEnd_ = pos_ == f_.size();
    if (atEnd_ || f_[pos_] == '\r')
      return true;
    if (hexValue(f_[pos_]) >= 0) {
      if (pos_ + 1 == f_.size()) {
        pos_ = f_.size();
        halfByte_ = atEnd_ = true;
        return true;
      }
      if (f_[pos_ + 1] == '\r')
        return fail(pos_, "a run of hexadecimal digits ends in the middle of a byte");
      ++pos_;
    }
    char what[96];
    snprintf(what, sizeof what, "a byte 0x%02X that is not a hexadecimal digit stands in a run",
             static_cast<unsigned char>(f_[pos_]));
    return fail(pos_, what);
  }

  bool keyStart(const std::string& run, size_t runStart) {
    for (unsigned k = 0; k < 3; ++k) {
      FormScan piece(run, k * 19);
      piece.pattern((std::to_string(k) + ":" + std::string(16, '%') + ":").c_str());
      if (piece.result() == Fit::Part && atEnd_)
        return cutOff("the file is cut off in the key start values");
      if (!piece.whole())
        return fail(runStart + 38 * k, "the key start values are damaged");
      uint32_t step, position;
      readHex8(run, k * 19 + 2, &step);
      readHex8(run, k * 19 + 10, &position);
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

  // Whether text is the beginning of a stamp of the student the name line names:
  // "; NAME (ID) @ " and then the form. Only the start stamp goes on past its form, with
  // its exam count and two line feeds.
  bool stampBegins(const std::string& text, const char* form, bool examCount) const {
    const std::string& name = r_.NameLine;  // "; Name: NAME (ID)\n\n"
    std::string head = "; " + name.substr(8, name.size() - 10) + " @ ";
    FormScan stamp(text, 0);
    stamp.literal(head.c_str()).pattern(form);
    if (stamp.result() != Fit::Whole)
      return stamp.result() == Fit::Part;
    if (!examCount)
      return false;
    size_t at = stamp.at();
    size_t digits = 0;
    while (at < text.size() && hexValue(text[at]) >= 0 && digits < 8) {
      ++at;
      ++digits;
    }
    return at == text.size() || (digits >= 2 && at + 1 == text.size() && text[at] == '\n');
  }

  // "; NAME (ID) @ YYYY/MM/DD::HH:MM:SS (tck:XXXXXXXX) ExamCount:XX" and two line feeds.
  bool startStamp(size_t logFileOffset, size_t* next) {
    const std::string& log = r_.Log;
    size_t stampEnd = log.find("\n\n");
    if (stampEnd == std::string::npos) {
      if (atEnd_ && stampBegins(log, StartStampForm, true))
        return cutOff("the file is cut off in the start stamp");
      return fail(logFileOffset, "the start stamp does not decipher (wrong key, or damaged)");
    }
    // From the end of the stamp: the name before it is the student's own typing.
    size_t at = log.rfind(" @ ", stampEnd);
    FormScan stamp(log, at == std::string::npos ? log.size() : at);
    stamp.literal(" @ ").pattern(StartStampForm);
    size_t count = stamp.at();
    while (count < stampEnd && hexValue(log[count]) >= 0)
      ++count;
    if (!startsWith(log, 0, "; ") || !stamp.whole() || count != stampEnd ||
        count - stamp.at() < 2 || count - stamp.at() > 8)
      return fail(logFileOffset, "the start stamp does not decipher (wrong key, or damaged)");
    size_t tickAt = log.rfind("(tck:", stampEnd);
    readHex8(log, tickAt + 5, &r_.StartTick);
    checkTick(r_.StartTick, logFileOffset + 2 * tickAt);
    *next = stampEnd + 2;
    return true;
  }

  // The lines that go on a question's text after its first: a continuation's '\', a
  // choice's indent, or the line feed its text may end in. They are not kept: the first
  // line is what finds the question in the echo.
  bool skipTextLines(size_t logFileOffset, size_t* at) {
    const std::string& log = r_.Log;
    while (*at < log.size() && (log[*at] == '\\' || log[*at] == ' ' || log[*at] == '\n')) {
      size_t end = log.find('\n', *at);
      if (end == std::string::npos)
        return endsInside(logFileOffset + 2 * *at, "the file is cut off in a question's text",
                          "a question's text is cut short");
      *at = end + 1;
    }
    return true;
  }

  // The start stamp, then the session records one after another, each as the program
  // writes it: a question (a sub-question after its question's heading), an answer
  // confirmed or rejected, an end command.
  bool checkLog(size_t logFileOffset) {
    const std::string& log = r_.Log;
    auto fileOffset = [&](size_t at) { return logFileOffset + 2 * at; };
    size_t at = 0;
    if (!startStamp(logFileOffset, &at))
      return false;
    // The heading that stands before a sub-question: its number and its first line.
    std::string heading, headingNumber;
    size_t headingAt = std::string::npos;
    const char* const UnheadedSub = "a sub-question heading is not followed by its sub-question";
    while (at < log.size()) {
      size_t body = at;
      RecordStart start = recordStart(log, &body);
      if (start == RecordStart::Cut)
        return endsInside(fileOffset(at), "the file is cut off at the start of a session record",
                          "a session record is cut short");
      if (start == RecordStart::None) {
        // A sub-question's heading: its question's number and text.
        if (headingAt != std::string::npos || log[at] < '0' || log[at] > '9')
          return fail(fileOffset(at), "a session record is damaged");
        FormScan line(log, at);
        line.digits();
        headingNumber = log.substr(at, line.at() - at);
        line.literal(". ").line(&heading);
        if (line.result() == Fit::Part)
          return endsInside(fileOffset(at), "the file is cut off in a sub-question heading",
                            "a sub-question heading is cut short");
        if (!line.whole())
          return fail(fileOffset(at), "a session record is damaged");
        headingAt = at;
        at = line.at();
        if (!skipTextLines(logFileOffset, &at))
          return false;
        continue;
      }

      XmcEvent event;
      readHex8(log, at + 4, &event.Tick);
      if (!checkTick(event.Tick, fileOffset(at)))
        return false;
      if (start != RecordStart::Line) {
        if (headingAt != std::string::npos)
          return fail(fileOffset(headingAt), UnheadedSub);
        event.What = start == RecordStart::Confirmed ? XmcEvent::Confirmed : XmcEvent::Rejected;
        FormScan answer(log, body);
        answer.line(&event.Label);
        if (!answer.whole())
          return endsInside(fileOffset(at), "the file is cut off in an answer record",
                            "an answer record is cut short");
        r_.Events.push_back(event);
        at = answer.at();
        continue;
      }

      FormScan command(log, body);
      command.literal("****** ");
      if (command.result() == Fit::Part)
        return endsInside(fileOffset(at), "the file is cut off at the start of a session record",
                          "a session record is cut short");
      if (command.whole()) {
        if (headingAt != std::string::npos)
          return fail(fileOffset(headingAt), UnheadedSub);
        std::string typed;
        command.line(&typed);
        if (command.whole() && (typed.size() < 6 || typed.compare(typed.size() - 6, 6, " *****") != 0))
          return fail(fileOffset(at), "an end command record is damaged");
        command.literal("\n");
        if (command.result() == Fit::No)
          return fail(fileOffset(at), "an end command record is damaged");
        if (!command.whole())
          return endsInside(fileOffset(at), "the file is cut off in an end command record",
                            "an end command record is cut short");
        event.What = XmcEvent::EndCommand;
        event.Label = typed.substr(0, typed.size() - 6);
        // The program writes the command only as the student typed it, in any letter case.
        if (!sameLetters(event.Label, "#done") && !sameLetters(event.Label, "#exit"))
          return fail(fileOffset(at), "an end command record is damaged");
        r_.Events.push_back(event);
        at = command.at();
        continue;
      }

      // A question: "NN. (  P.P pts) TEXT", or a sub-question "NN.c. (...) TEXT".
      FormScan question(log, body);
      question.digits().literal(".");
      bool sub = question.whole() && body < log.size() && question.at() < log.size() &&
                 log[question.at()] != ' ';
      if (sub)
        question.anyCharacter().literal(".");
      size_t labelEnd = question.at();
      question.literal(" (").number();
      size_t unitAt = question.at();
      question.literal(" pt");
      if (question.whole() && question.at() < log.size() && log[question.at()] == 's')
        question.literal("s");
      question.literal(") ").line(&event.FirstLine);
      if (question.result() == Fit::Part)
        return endsInside(fileOffset(at), "the file is cut off in a question record",
                          "a question record is cut short");
      if (!question.whole())
        return fail(fileOffset(at), "a question record is damaged");
      if (sub != (headingAt != std::string::npos))
        return fail(fileOffset(sub ? at : headingAt),
                    sub ? "a sub-question record stands without its heading" : UnheadedSub);
      if (sub && log.compare(body, headingNumber.size() + 1, headingNumber + ".") != 0)
        return fail(fileOffset(headingAt), "a sub-question heading is damaged");
      event.What = XmcEvent::Question;
      event.Label = log.substr(body, labelEnd - body);
      event.Points = log.substr(labelEnd + 2, unitAt - labelEnd - 2);
      if (sub)
        event.Heading = heading;
      headingAt = std::string::npos;
      // Its first line is all the reading keeps of it: it counts once that line is whole.
      r_.Events.push_back(event);
      at = question.at();
      if (!skipTextLines(logFileOffset, &at))
        return false;
    }
    if (headingAt != std::string::npos)
      return endsInside(fileOffset(headingAt), "the file is cut off after a sub-question heading",
                        UnheadedSub);
    return true;
  }

  // A line for each entry of the question list, in its order: the entries are numbered
  // 1, 2, 3..., a question's sub-questions under its number with the letters a, b, c...
  bool checkSummary(size_t runStart) {
    const std::string& s = r_.Summary;
    uint32_t last = 0;
    char lastLetter = 0;  // the last line's, when it was a sub-question's
    for (size_t at = 0; at < s.size();) {
      size_t lineAt = at;
      FormScan question(s, at), sub(s, at);
      uint32_t number = 0, subNumber = 0;
      question.literal("Ques# ").digits(&number).literal(".    ==> ").line();
      sub.literal("SubQ# ").digits(&subNumber).literal(".").anyCharacter();
      size_t letterAt = sub.at() - 1;
      sub.literal(". --> ").line();
      Fit fit = eitherFit(question.result(), sub.result());
      if (fit == Fit::Part)
        return endsInside(runStart + 2 * s.size(), "the summary is cut off",
                          "the summary ends inside a line");
      if (fit == Fit::No)
        return fail(runStart + 2 * at,
                    "the summary does not decipher (the key stream does not continue here)");
      bool inOrder;
      if (question.whole()) {
        inOrder = number == last + 1;
        last = number;
        lastLetter = 0;
        at = question.at();
      } else {
        char letter = s[letterAt];
        inOrder = (subNumber == last + 1 && letter == 'a') ||
                  (subNumber == last && lastLetter != 0 && letter == static_cast<char>(lastLetter + 1));
        last = subNumber;
        lastLetter = letter;
        at = sub.at();
      }
      if (!inOrder)
        return fail(runStart + 2 * lineAt, "the summary's entries are out of order");
    }
    return true;
  }

  bool checkClosing(size_t runStart) {
    const std::string& c = r_.Closing;
    FormScan mark(c, 0);
    mark.literal(CompleteMark);
    if (mark.result() == Fit::Part && atEnd_)
      return cutOff("the file is cut off in the complete mark");
    if (!mark.whole())
      return fail(runStart, "the complete mark does not decipher");
    // "; NAME (ID) @ YYYY/MM/DD::HH:MM:SS  (tck:XXXXXXXX)" and two line feeds, read from
    // the end: the name in the stamp is the student's own typing.
    size_t stampAt = strlen(CompleteMark);
    size_t at = c.rfind(" @ ");
    FormScan stamp(c, at == std::string::npos || at < stampAt ? c.size() : at);
    stamp.literal(" @ ").pattern(FinishStampForm);
    if (!startsWith(c, stampAt, "; ") || !stamp.whole() || stamp.at() != c.size()) {
      if (atEnd_ && stampBegins(c.substr(stampAt), FinishStampForm, false))
        return cutOff("the file is cut off in the finish stamp");
      return fail(runStart + 2 * stampAt, "the finish stamp is damaged");
    }
    size_t tickAt = c.rfind("(tck:");
    readHex8(c, tickAt + 5, &r_.EndTick);
    r_.HasEndTick = true;
    return checkTick(r_.EndTick, runStart + 2 * tickAt);
  }

  // Whether the echo holds a question as its session record shows it: with the same
  // points (written alike by both, but "(1 pt)" for a sub-question of one point, and no
  // figure for a question of none) and the same first line, and a sub-question's
  // question with the first line of its heading.
  bool echoHolds(const XmcEvent& question) const {
    const std::string& e = r_.Echo;
    const std::string& points = question.Points;
    const std::string line = question.FirstLine + "\n";
    const std::string& label = question.Label;
    bool sub = label.size() > 3 && label[label.size() - 3] == '.';
    if (sub && e.find(". " + question.Heading + "\n") == std::string::npos)
      return false;
    bool none = points == " -1.0" || points == "  0.0" || points == " -0.0";
    return e.find("(" + points + " pts) " + line) != std::string::npos ||
           (sub && points == "  1.0" && e.find("(1 pt) " + line) != std::string::npos) ||
           (!sub && none && e.find(". " + line) != std::string::npos);
  }

  XmcReading readEcho(size_t runStart) {
    EchoCheck echo = checkEcho(r_.Echo);
    if (echo.What == EchoCheck::Cut)
      return cut(cutShortOf(r_.Echo, EchoStart) ? "the file is cut off before the echo's QUESTIONS line"
                                                : "the echo of the exam is cut off");
    if (echo.What == EchoCheck::Damaged)
      return stop(runStart + 2 * echo.At, echo.Problem);
    if (halfByte_)
      return stop(f_.size() - 1, "unexpected bytes after the echo of the exam");
    for (const XmcEvent& event : r_.Events)
      if (event.What == XmcEvent::Question && !echoHolds(event))
        return stop(runStart, "the echo of the exam lacks a question the session presented");
    r_.Reached = XmcSection::End;
    return r_;
  }

  const std::string& f_;
  size_t pos_ = 0;
  bool atEnd_ = false;     // the last run read goes on to the end of the file
  bool halfByte_ = false;  // and ends in a digit without its pair
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
