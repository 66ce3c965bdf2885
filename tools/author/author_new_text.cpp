#include "author_new_text.h"

namespace {

// What follows the header line. Nothing in it may begin with QUESTIONS in its first
// column before the real QUESTIONS line, or the preamble would end there.
const char* const ExampleBody =
    R"(; This is an exam text. Edit it, then make the exam file that students take with
;     veritor-author make THIS-FILE --password PASSWORD
; Lines that begin with ';' are comments: veritor skips them wherever they stand. Every
; line before the QUESTIONS line is a note of the same kind. make leaves all of them out
; of the exam file (and block comments and the answer key too): students never see them.
;
; THE HEADER is the first line. Change its values, but keep every ';', ':', '(', ')',
; " ---> " and "  ---  " where it stands, one blank after the number of minutes, and
; "Version 1.07" at the end:
; ;SEMESTER;  COURSE-NUMBER: COURSE-NAME: (SECTION) ---> EXAM-NAME:  TimeLimit: MINUTES minutes  ---  Version 1.07
; At most 30 characters of semester, 14 of course number, 126 of course name, 6 of
; section and 30 of exam name; the time limit is 1 to 3000 minutes. Or delete the
; header line and give make the values instead (veritor-author make --help).
;
; THE QUESTIONS LINE begins the questions. "QUESTIONS 5" would present at most 5
; questions to each student (a question with sub-questions counts as its sub-questions);
; without a number every question is presented, one from each pool.
QUESTIONS
;
; A QUESTION: its number, a '.', its points in brackets, then its text. Students see
; the questions numbered in the order they are asked; this number only ties
; sub-questions to their question.
;
; THE ANSWER KEY: lines that begin with '=' after a question give its accepted answers,
; which veritor-author report scores the students' answers by. "= TEXT" is an answer
; (a '*' in it stands for any run of characters; letter case and extra blanks do not
; count), "= NUMBER" or "= NUMBER +- TOLERANCE" a number, and "= 50% " before either
; gives half the points. Several '=' lines are alternatives, the best one counting. A
; question without any, like question 1, is marked by hand.
1. (2 pts) What does a compiler do?
; A CONTINUATION: a line that begins with '\' adds a line to the text above it.
\Answer in one or two sentences.
;
; MULTIPLE CHOICE: one line a choice, each beginning with a small letter. The choices
; are lettered on from the first, whatever letters the later ones are written with.
2. (1 pts) Which of these numbers is prime?
a) 21
b) 27
c) 29
d) 33
= c
;
; AN INITIAL ANSWER: a line that begins with '&' gives the question an answer before
; the student types one. The question is still asked: the student sees it as the
; prior answer, a template to type again as it stands or to replace.
3. (3 pts) Correct the spelling in this sentence.
&Teh quick brown fox jumpd over the lazy dog.
= The quick brown fox jumped over the lazy dog.
= 50% *quick brown fox jumped*
;
; A POOL: the questions between '{' and '}' are a pool, and each student is given one
; of them. Pools cannot be nested; an exam holds at most 255.
{
4. (4 pts) Explain in two or three sentences what a variable is.
5. (4 pts) Explain in two or three sentences what a function is.
}
;
; SUB-QUESTIONS: a question without points, then lines that repeat its number with a
; letter and a '.', each with points of its own. Each is asked and answered alone.
6. Answer both parts about the number 12.
   6.a. (1 pts) What is 12 divided by 5?
   = 2.4
   6.b. (2 pts) What is the square root of 12, to two decimals?
   = 3.46 +- 0.01
;
; A BLOCK COMMENT: a line that begins with slash and star hides every line down to the
; next star and slash, questions included; here it keeps question 7 out of the exam.
/*
7. (5 pts) Describe a bug you found and how you found it.
*/
)";

}  // namespace

HeaderFields exampleHeaderFields() {
  return {"Fall 2026", "CS 101", "Introduction to Programming", "001", "Exam 1", "60"};
}

std::string newExamText(const HeaderFields& header) {
  return composeExamHeader(header) + "\n" + ExampleBody;
}
