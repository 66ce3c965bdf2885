#include "result/xmc_verdict.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "crypto/sha256.h"
#include "examfile/cipher.h"
#include "result/result_file_name.h"

const char* const XmcVerdictMeaning =
    "What the check proves: a file that is \"whole, for this student and password\" was\n"
    "written, as Veritor writes it, for the identifier it names and for this password,\n"
    "and it is whole: every part is there, its copies of each answer agree and its\n"
    "ticks never go back. What it cannot prove: that nobody changed it. The key is in\n"
    "every copy of Veritor, so a student who studies the file's format can rewrite\n"
    "his own file and keep it whole.\n";

std::string xmcVerdictText(const XmcVerdict& v) {
  switch (v.Kind) {
    case XmcVerdictKind::Whole: return "whole, for this student and password";
    case XmcVerdictKind::WholeUnchecked:
      return "whole, but not checked against the exam's password (give --password)";
    case XmcVerdictKind::Renamed: return "renamed: " + v.Detail;
    case XmcVerdictKind::ClosingMissing: return "closing part missing: " + v.Detail;
    case XmcVerdictKind::CutShort: return "cut short: " + v.Detail;
    case XmcVerdictKind::Foreign: return "not made with this password or not for this identifier";
    case XmcVerdictKind::Damaged: return "damaged: " + v.Detail;
    case XmcVerdictKind::NotXmc: return "not a completed-exam (XMC) file" + v.Detail;
    case XmcVerdictKind::Unreadable: return "cannot be read: " + v.Detail;
  }
  return v.Detail;
}

XmcKeyMatch checkResultKey(const XmcReading& reading, const std::string& studentId,
                           const std::string& password) {
  if (reading.Reached < XmcSection::Log || studentId.size() != 6)
    return XmcKeyMatch::Unknown;
  // The result key as exam loading makes it: the identifier, letters in lower case, and
  // the digest of the password.
  uint8_t seed[38];
  for (int i = 0; i < 6; ++i)
    seed[i] = static_cast<uint8_t>(tolower(static_cast<unsigned char>(studentId[i])));
  sha256(seed + 6, password.data(), password.size());
  CipherState expected{};
  sha256(expected.Digest, seed, sizeof seed);
  deriveCipherState(&expected);
  for (int k = 0; k < 3; ++k)
    if (expected.Steps[k] != reading.Steps[k] || expected.Positions[k] != reading.StartPositions[k])
      return XmcKeyMatch::Differs;
  return XmcKeyMatch::Matches;
}

namespace {

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// The end of the line that begins at `at` (past its LF or CR LF), or npos.
size_t lineAfter(const std::string& text, size_t at) {
  size_t end = text.find('\n', at);
  return end == std::string::npos ? end : end + 1;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

XmcVerdict verdict(XmcVerdictKind kind, const std::string& detail = "") {
  return XmcVerdict{kind, detail};
}

// A file that stops before the session was over: every answer is in it when it holds
// its whole summary, or when it ends after an answer to each question it presented.
XmcVerdict stopped(const XmcReading& r, const XmcAnalysis& a) {
  if (r.Reached >= XmcSection::Closing)
    return verdict(XmcVerdictKind::ClosingMissing,
                   "every answer is in its summary, but the file ends before its finish stamp");
  if (a.End == XmcEnd::AfterLastAnswer)
    return verdict(XmcVerdictKind::ClosingMissing,
                   "the file ends after an answer to " + questionsPresented(a.Presented));
  return verdict(XmcVerdictKind::CutShort,
                 std::string("the file ends in ") + xmcSectionName(r.Reached));
}

}  // namespace

bool looksLikeExamFile(const std::string& bytes) {
  if (bytes.empty() || bytes[0] != ';')
    return false;
  size_t second = lineAfter(bytes, 0);
  if (second == std::string::npos)
    return false;
  size_t third = bytes.compare(second, 2, "\r\n") == 0 ? second + 2
                 : bytes.compare(second, 1, "\n") == 0 ? second + 1
                                                       : std::string::npos;
  return third != std::string::npos && third < bytes.size() && isHexDigit(bytes[third]);
}

XmcVerdict judgeXmc(const std::string& bytes, const XmcReading& r, const XmcAnalysis& a,
                    const std::string* password, const std::string& fileName) {
  // What a power cut leaves of a file created moments before: nothing reached the disk.
  if (bytes.empty())
    return verdict(XmcVerdictKind::CutShort, "the file is empty");
  if (looksLikeExamFile(bytes))
    return verdict(XmcVerdictKind::NotXmc,
                   ": it is an exam (.exm) file, which 'veritor-author show' prints");
  if (r.Reached == XmcSection::ExamLine && r.ProblemOffset == 0)
    return verdict(XmcVerdictKind::NotXmc);
  char where[160];
  snprintf(where, sizeof where, " (byte %zu, in %s)", r.ProblemOffset, xmcSectionName(r.Reached));
  XmcKeyMatch key =
      password ? checkResultKey(r, a.StudentId, *password) : XmcKeyMatch::Unknown;
  // Key start values that decipher the start stamp are what the program wrote: when they
  // are not this identifier's and password's, the file is another exam's or student's.
  // Values that do not decipher even that much are damage.
  bool stampRead = r.Reached > XmcSection::Log || a.HasStart;
  if (key == XmcKeyMatch::Differs && stampRead)
    return verdict(XmcVerdictKind::Foreign);
  // A problem before the end of the file is damage; one at the end, a cut.
  if (!r.ok() && !r.cut())
    return verdict(XmcVerdictKind::Damaged, r.Problem + where);
  if (key == XmcKeyMatch::Differs)
    return verdict(XmcVerdictKind::Damaged, "the key start values" + std::string(where));
  if (!a.Mismatch.empty())
    return verdict(XmcVerdictKind::Damaged, a.Mismatch);
  // Without an identifier nothing ties the file to a student and a password.
  if (r.ok() && (!a.HasName || a.StudentId.size() != 6))
    return verdict(XmcVerdictKind::Damaged, "the name line gives no identifier of six characters");

  // The program names the file after the identifier it writes into it: another one in
  // the name is a copy of another student's file.
  std::string named;
  if (a.HasName && identifierInResultFileName(fileName, &named) &&
      !sameIgnoringCase(named, a.StudentId)) {
    std::string detail = "written for " + a.StudentId + ", not for " + named + " as its file name says";
    if (!r.ok())
      detail += "; and " + xmcVerdictText(stopped(r, a));
    return verdict(XmcVerdictKind::Renamed, detail);
  }
  if (!r.ok())
    return stopped(r, a);
  return verdict(password ? XmcVerdictKind::Whole : XmcVerdictKind::WholeUnchecked);
}
