#include "result/completed_file.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

bool sameExamLine(const CompletedExam& e, const XmcAnalysis& a) {
  return e.Semester == a.Semester && e.CourseNumber == a.CourseNumber &&
         e.CourseName == a.CourseName && e.Section == a.Section && e.ExamName == a.ExamName &&
         e.TimeLimitMinutes == a.TimeLimitMinutes;
}

int findOrAddExam(std::vector<CompletedExam>* exams, const XmcAnalysis& a) {
  // The latest first: files come by folder, and a folder holds one exam's.
  for (size_t i = exams->size(); i-- > 0;)
    if (sameExamLine((*exams)[i], a))
      return static_cast<int>(i);
  CompletedExam exam;
  exam.Semester = a.Semester;
  exam.CourseNumber = a.CourseNumber;
  exam.CourseName = a.CourseName;
  exam.Section = a.Section;
  exam.ExamName = a.ExamName;
  exam.TimeLimitMinutes = a.TimeLimitMinutes;
  exams->push_back(std::move(exam));
  return static_cast<int>(exams->size() - 1);
}

uint32_t addQuestion(CompletedExam* exam, const XmcExamQuestion& question) {
  auto found = exam->QuestionAt.find(question.Number);
  if (found != exam->QuestionAt.end())
    return found->second;
  uint32_t at = static_cast<uint32_t>(exam->Questions.size());
  exam->Questions.push_back(question);
  exam->QuestionAt.emplace(question.Number, at);
  return at;
}

void copyTime(char (&to)[20], const std::string& from) {
  snprintf(to, sizeof to, "%s", from.c_str());
}

// The answers of the numbered entries, under the exam's question indexes, in their order.
// A question presented and left without an answer keeps an entry of no text, so that the
// answers also tell which questions the session presented.
void keepAnswers(CompletedFile* file, const std::vector<XmcEntry>& entries, CompletedExam* exam,
                 const std::vector<XmcExamQuestion>& numbering) {
  std::vector<std::pair<uint32_t, const std::string*>> given;  // null: presented, no answer
  given.reserve(entries.size());
  for (const XmcEntry& e : entries) {
    if (!e.Presented || e.ExamNumber.empty())
      continue;
    for (const XmcExamQuestion& q : numbering)
      if (q.Number == e.ExamNumber) {
        given.emplace_back(addQuestion(exam, q), givesAnswer(e) ? &e.Answer : nullptr);
        break;
      }
  }
  // By question; a question's answers before its entries of none, which are then dropped.
  std::sort(given.begin(), given.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second && !b.second;
  });
  size_t kept = 0, length = 0;
  for (size_t i = 0; i < given.size(); ++i) {
    if (!given[i].second && kept > 0 && given[kept - 1].first == given[i].first)
      continue;
    given[kept++] = given[i];
    length += given[i].second ? given[i].second->size() : 0;
  }
  given.resize(kept);
  // The file keeps them for the whole report: one allocation of the exact size each.
  file->Answers.reserve(given.size());
  file->AnswerText.reserve(length);
  for (const auto& g : given) {
    if (g.second)
      file->AnswerText += *g.second;
    file->Answers.push_back({g.first, static_cast<uint32_t>(file->AnswerText.size())});
  }
}

}  // namespace

CompletedFile makeCompletedFile(const std::string& path, const std::string& bytes,
                                const std::string& password, bool keepAnswersToo,
                                std::vector<CompletedExam>* exams) {
  CompletedFile f;
  f.Path = path;
  f.Read = true;
  XmcReading r = readXmc(bytes);
  XmcAnalysis a = analyzeXmc(r);
  f.Verdict = judgeXmc(bytes, r, a, &password, path);
  f.HasName = a.HasName;
  f.StudentName = a.StudentName;
  f.StudentId = a.StudentId;
  copyTime(f.StartTime, a.StartTime);
  copyTime(f.FinishTime, a.FinishTime);
  f.HasStart = a.HasStart;
  f.Finished = a.Finished;
  // A damaged file that stops early may have gone on: its end is not known.
  f.EndKnown = a.EndKnown && (a.Finished || f.Verdict.Kind != XmcVerdictKind::Damaged);
  f.UsedSeconds = a.UsedSeconds;
  f.ClosedAfterSeconds = a.ClosedAfterSeconds;
  f.LateSeconds = a.LateSeconds;
  f.Presented = a.Presented;
  f.Answered = a.Answered;
  f.Questions = a.Questions;
  f.AllQuestionsKnown = a.AllQuestionsKnown;
  f.SkipsUsed = a.SkipsUsed;
  f.End = a.End;
  f.EndCommand = a.EndCommand;
  f.HasExamCount = a.HasExamCount;
  f.ExamCount = a.ExamCount;
  if (!a.HasExamLine)
    return f;
  f.Exam = findOrAddExam(exams, a);
  if (!keepAnswersToo)
    return f;

  CompletedExam* exam = &(*exams)[static_cast<size_t>(f.Exam)];
  // An echo read to its end lists every question of the exam, also those this student
  // was not asked.
  if (r.Reached == XmcSection::End && a.Mismatch.empty())
    for (const XmcExamQuestion& q : a.ExamQuestions)
      addQuestion(exam, q);
  if (!a.ExamQuestions.empty()) {
    keepAnswers(&f, a.Entries, exam, a.ExamQuestions);
    return f;
  }
  for (XmcEntry& e : a.Entries)
    if (e.Presented)
      f.Unnumbered.push_back(std::move(e));
  return f;
}

CompletedFile unreadableFile(const std::string& path, const std::string& reason) {
  CompletedFile f;
  f.Path = path;
  f.Verdict = {XmcVerdictKind::Unreadable, reason};
  return f;
}

void numberFromExam(CompletedFile* file, std::vector<CompletedExam>* exams) {
  if (file->Unnumbered.empty() || file->Exam < 0)
    return;
  CompletedExam* own = &(*exams)[static_cast<size_t>(file->Exam)];
  const CompletedExam* from = own->Questions.empty() ? nullptr : own;
  for (const CompletedExam& other : *exams)
    if (!from && !other.Questions.empty() && sameExamText(other, *own))
      from = &other;
  if (!from)
    return;
  std::vector<XmcExamQuestion> numbering = from->Questions;
  numberEntries(&file->Unnumbered, numbering);
  keepAnswers(file, file->Unnumbered, own, numbering);
  file->Unnumbered.clear();
  file->Unnumbered.shrink_to_fit();
}

bool presentedQuestion(const CompletedFile& file, uint32_t question) {
  auto at = std::lower_bound(file.Answers.begin(), file.Answers.end(), question,
                             [](const FileAnswer& a, uint32_t q) { return a.Question < q; });
  return at != file.Answers.end() && at->Question == question;
}

std::string_view answerOf(const CompletedFile& file, uint32_t question) {
  auto at = std::lower_bound(file.Answers.begin(), file.Answers.end(), question,
                             [](const FileAnswer& a, uint32_t q) { return a.Question < q; });
  if (at == file.Answers.end() || at->Question != question)
    return {};
  uint32_t start = at == file.Answers.begin() ? 0 : (at - 1)->End;
  return std::string_view(file.AnswerText).substr(start, at->End - start);
}

std::string examTitle(const CompletedExam& exam) {
  return exam.CourseNumber + " (" + exam.Section + ") " + exam.ExamName;
}

bool sameExamText(const CompletedExam& a, const CompletedExam& b) {
  return a.Semester == b.Semester && a.CourseNumber == b.CourseNumber && a.ExamName == b.ExamName;
}
