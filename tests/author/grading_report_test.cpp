// veritor-author report grading a class of twelve students who took an exam with the real
// session code: every score, every item figure and every flag against a computation of
// this test's own, and the graders' marks there and back through the answers sheet.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

#include "crypto/sha256.h"
#include "grading/csv_table.h"
#include "result/xmc_analysis.h"
#include "support/session_fixture.h"
#include "support/system_calls.h"

namespace {

// Choice, numeric with a tolerance, text with alternatives, a wildcard and partial credit,
// sub-questions, a pool and a question marked by hand. Each question's text carries its
// exam number, so that the script can answer whichever the session asks.
const char* const Body =
    "QUESTIONS\n"
    "1. (2 pts) [1] Which of these numbers is prime?\n"
    "a) 21\n"
    "b) 27\n"
    "c) 29\n"
    "d) 33\n"
    "= c\n"
    "2. (3 pts) [2] What is the square root of 12, to two decimals?\n"
    "= 3.46 +- 0.01\n"
    "3. (4 pts) [3] Name the process by which plants make sugar from light.\n"
    "= photosynthesis\n"
    "= photo synthesis\n"
    "= 50% *synth*\n"
    "4. [4] Answer both parts about the number 12.\n"
    "   4.a. (1 pts) [4.a] What is 12 divided by 5?\n"
    "   = 2.4\n"
    "   = 12/5\n"
    "   4.b. (2 pts) [4.b] Name a prime factor of 12.\n"
    "   = 2\n"
    "   = 3\n"
    "{\n"
    "5. (2 pts) [5] What is 7 times 8?\n"
    "= 56\n"
    "6. (2 pts) [6] What is 6 times 9?\n"
    "= 54\n"
    "}\n"
    "7. (5 pts) [7] Explain recursion in your own words.\n";

const char* const Items[] = {"1", "2", "3", "4.a", "4.b", "5", "6", "7"};
constexpr int ItemCount = 8;
const double Points[ItemCount] = {2, 3, 4, 1, 2, 2, 2, 5};

// A student: the answers, by exam number ("pool" for whichever of 5 and 6 is asked:
// "right" for its right answer), and the points each should score, worked out by hand:
// -1 where a grader marks it, with the grader's mark beside.
struct Student {
  const char* Id;
  const char* Name;
  std::map<std::string, std::string> Answers;
  std::map<std::string, double> Expected;
  std::map<std::string, double> Graders;
  int StartDays = 0;           // the start, in days from the class's
  int8_t Counter = -2;         // the exam count is -1 minus this: 1
};

const std::vector<Student>& students() {
  static const std::vector<Student> all = {
      {"aaa101", "Adams, Ann",
       {{"1", "c"}, {"2", "3.46"}, {"3", "Photosynthesis"}, {"4.a", "2.4"}, {"4.b", "2"},
        {"pool", "right"}, {"7", "A function that calls itself on a smaller case"}},
       {{"1", 2}, {"2", 3}, {"3", 4}, {"4.a", 1}, {"4.b", 2}, {"pool", 2}, {"7", -1}},
       {{"7", 5}}},
      {"bbb102", "Baker, Ben",
       {{"1", "C)"}, {"2", "3.47"}, {"3", "photo  synthesis"}, {"4.a", "12/5"}, {"4.b", "3"},
        {"pool", "right"}, {"7", "Recursion means a definition refers to itself"}},
       {{"1", 2}, {"2", 3}, {"3", 4}, {"4.a", 1}, {"4.b", 2}, {"pool", 2}, {"7", -1}},
       {{"7", 4}}},
      // Chen and Diaz share three wrong answers: 2, 3 and 4.b.
      {"ccc103", "Chen, Cara",
       {{"1", "b"}, {"2", "3.5"}, {"3", "chlorophyll"}, {"4.a", "2.4"}, {"4.b", "4"},
        {"pool", "63"}, {"7", "Doing something again and again"}},
       {{"1", 0}, {"2", 0}, {"3", 0}, {"4.a", 1}, {"4.b", 0}, {"pool", 0}, {"7", -1}},
       {{"7", 1}}},
      {"ddd104", "Diaz, Dan",
       {{"1", "a"}, {"2", "3.5"}, {"3", "Chlorophyll"}, {"4.a", "2"}, {"4.b", "4"},
        {"pool", "right"}, {"7", "A loop that never ends at all"}},
       {{"1", 0}, {"2", 0}, {"3", 0}, {"4.a", 0}, {"4.b", 0}, {"pool", 2}, {"7", -1}},
       {{"7", 1}}},
      {"eee105", "Evans, Eve",
       {{"1", "(c)"}, {"2", "3.45"}, {"3", "it is the synthesis of sugar"}, {"4.a", "2.40"},
        {"4.b", "2"}, {"pool", "right"},
        {"7", "A method solving a problem by solving smaller copies of it"}},
       {{"1", 2}, {"2", 3}, {"3", 2}, {"4.a", 1}, {"4.b", 2}, {"pool", 2}, {"7", -1}},
       {{"7", 5}}},
      // Answers the key leaves to a grader: a letter with words, a number with its unit.
      {"fff106", "Fox, Finn",
       {{"1", "b. 27"}, {"2", "3.46 cm"}, {"3", "PHOTOSYNTHESIS "}, {"4.a", "2.4"}, {"4.b", "6"},
        {"pool", "48"}, {"7", "When a function calls itself"}},
       {{"1", -1}, {"2", -1}, {"3", 4}, {"4.a", 1}, {"4.b", 0}, {"pool", 0}, {"7", -1}},
       {{"1", 0}, {"2", 3}, {"7", 4}}},
      // Started three days before the others.
      {"ggg107", "Gray, Gus",
       {{"1", "a"}, {"2", "3.4"}, {"3", "photosynthesis"}, {"4.a", "12/5"}, {"4.b", "3"},
        {"pool", "right"}, {"7", "no idea"}},
       {{"1", 0}, {"2", 0}, {"3", 4}, {"4.a", 1}, {"4.b", 2}, {"pool", 2}, {"7", -1}},
       {{"7", 0}},
       -3},
      {"hhh108", "Hill, Hana",
       {{"1", "c"}, {"2", "3.46"}, {"3", "synthesis"}, {"4.a", "2.4"}, {"4.b", "2"},
        {"pool", "63"}, {"7", "Splitting work into the same work, smaller"}},
       {{"1", 2}, {"2", 3}, {"3", 2}, {"4.a", 1}, {"4.b", 2}, {"pool", 0}, {"7", -1}},
       {{"7", 3}}},
      // Skips 7 and ends with #done when it comes back: no answer, 0, nothing to mark.
      {"iii109", "Ito, Ivan",
       {{"1", "c"}, {"2", "3.46"}, {"3", "photosynthesis"}, {"4.a", "2.4"}, {"4.b", "3"},
        {"pool", "right"}, {"7", "#skip"}},
       {{"1", 2}, {"2", 3}, {"3", 4}, {"4.a", 1}, {"4.b", 2}, {"pool", 2}, {"7", 0}},
       {}},
      {"jjj110", "Jones, Jo",
       {{"1", " C "}, {"2", "3.45"}, {"3", "photo synthesis"}, {"4.a", "2"}, {"4.b", "2"},
        {"pool", "right"}, {"7", "A procedure defined in terms of itself"}},
       {{"1", 2}, {"2", 3}, {"3", 4}, {"4.a", 0}, {"4.b", 2}, {"pool", 2}, {"7", -1}},
       {{"7", 5}}},
      // The second opening of the exam.
      {"kkk111", "King, Kai",
       {{"1", "d"}, {"2", "3.46"}, {"3", "sugar making"}, {"4.a", "12/5"}, {"4.b", "6"},
        {"pool", "right"}, {"7", "Calling the same function inside itself"}},
       {{"1", 0}, {"2", 3}, {"3", 0}, {"4.a", 1}, {"4.b", 0}, {"pool", 2}, {"7", -1}},
       {{"7", 3}},
       0,
       -3},
      // Not on the roster.
      {"lll112", "Lee, Lin",
       {{"1", "c."}, {"2", "3.47"}, {"3", "Photosynthesis"}, {"4.a", "2.4"}, {"4.b", "3"},
        {"pool", "42"}, {"7", "Breaking a problem into smaller self-similar ones"}},
       {{"1", 2}, {"2", 3}, {"3", 4}, {"4.a", 1}, {"4.b", 2}, {"pool", 0}, {"7", -1}},
       {{"7", 4}}},
  };
  return all;
}

std::string fileNameOf(const std::string& id, int attempt = 0) {
  char name[96];
  snprintf(name, sizeof name, "FallZ2021_CSZ1234_ExamZ1_%02d__XMC_%s_CompletedBy.xmc", attempt,
           id.c_str());
  return name;
}

// The CSV's rows, read as a spreadsheet would.
CsvTable csvOf(const std::string& text) {
  CsvTable table;
  std::string error;
  EXPECT_TRUE(readCsvTable(text, &table, &error)) << error;
  return table;
}

std::vector<std::string> rowOf(const CsvTable& table, const std::string& first) {
  for (const auto& row : table.Rows)
    if (!row.empty() && row[0] == first)
      return row;
  return {};
}

// The test's own statistics, written out as the textbooks give them.
double mean(const std::vector<double>& v) {
  double s = 0;
  for (double x : v)
    s += x;
  return s / v.size();
}
double variance(const std::vector<double>& v) {
  double m = mean(v), s = 0;
  for (double x : v)
    s += (x - m) * (x - m);
  return s / v.size();
}
double correlation(const std::vector<double>& x, const std::vector<double>& y) {
  double mx = mean(x), my = mean(y), c = 0;
  for (size_t i = 0; i < x.size(); ++i)
    c += (x[i] - mx) * (y[i] - my);
  return c / x.size() / std::sqrt(variance(x) * variance(y));
}

class GradingReportTest : public SessionTest {
 protected:
  struct ToolRun {
    int Status;
    std::string Out, Err;
  };

  void student(const Student& s) {
    snprintf(State.StudentFullName, sizeof State.StudentFullName, "%s", s.Name);
    snprintf(State.StudentId, sizeof State.StudentId, "%s", s.Id);
    uint8_t seed[38];
    memcpy(seed, s.Id, 6);
    sha256(seed + 6, "secret", 6);
    sha256(State.ResultCipherState.Digest, seed, sizeof seed);
  }

  // The exam numbers in the order this student's session asks them: a first session
  // with placeholder answers, read back. The second, from the same clock, asks the same.
  std::vector<std::string> askedOrder(uint32_t tick, FileTime utc) {
    console.setTick(tick);
    console.setUtc(utc);
    State.LoadTime = console.systemTimeUtc();  // the start stamp's time
    loadExam(DemoHeader, Body);
    begin();
    for (int k = 0; k < 7; ++k)
      answer("x");
    console.typeLine("");
    console.typeLine("");
    EXPECT_EQ(runSession(), NoExit);
    std::vector<std::string> order;
    for (const XmcEntry& e : analyzeXmc(reading).Entries)
      order.push_back(e.ExamNumber);
    return order;
  }

  // Takes the exam as the student answers; returns the pool question asked.
  std::string take(const Student& s, uint32_t tick, FileTime utc, const std::string& file) {
    student(s);
    std::vector<std::string> order = askedOrder(tick, utc);
    EXPECT_EQ(order.size(), 7u);
    console.setTick(tick);
    console.setUtc(utc);
    State.LoadTime = console.systemTimeUtc();
    loadExam(DemoHeader, Body);
    begin();
    std::string pool;
    bool skipped = false;
    for (const std::string& number : order) {
      std::string key = number == "5" || number == "6" ? "pool" : number;
      if (key == "pool")
        pool = number;
      std::string given = s.Answers.at(key);
      if (given == "right")
        given = number == "5" ? "56" : "54";
      if (given == "#skip") {
        answer(given);
        console.typeLine("");  // the notice of the skip list
        skipped = true;
      } else {
        answer(given);
      }
    }
    if (skipped) {
      console.typeLine("#done");
      console.typeLine("y");
    } else {
      console.typeLine("");  // all answered
    }
    console.typeLine("");
    EXPECT_EQ(runSession(s.Counter), NoExit) << s.Id;
    folder.write(file, bytes);
    return pool;
  }

  ToolRun report(const std::string& arguments) {
    std::string command = nativePath(std::string(VERITOR_BINARY_DIR) + "/veritor-author") +
                          " report --password secret " + arguments + " 2>" + folder.file("err.txt");
    std::string out;
    int status = runCommand(command, &out);
    std::string err = folder.read("err.txt");
    err.erase(std::remove(err.begin(), err.end(), '\r'), err.end());
    return {status, out, err};
  }

  // The class: twelve students, and Adams's first attempt an hour before his second.
  void makeClass() {
    std::filesystem::create_directory(folder.file("class"));
    folder.write("exam.txt", std::string(DemoHeader) + "\n" + Body);
    const FileTime day = 864000000000ULL;
    FileTime base = 134169300000000000ULL;  // the scripted clock's own start
    uint32_t tick = 2000000;
    Student first = students()[0];
    first.Answers = {{"1", "a"}, {"2", "1"}, {"3", "x"}, {"4.a", "1"}, {"4.b", "1"},
                     {"pool", "1"}, {"7", "An earlier try at the whole exam, all of it wrong"}};
    take(first, tick, base - day / 24, "class/" + fileNameOf(first.Id, 0));
    for (const Student& s : students()) {
      tick += 100000;
      FileTime utc = base + static_cast<FileTime>(s.StartDays) * day;
      if (s.StartDays < 0)
        utc = base - static_cast<FileTime>(-s.StartDays) * day;
      pools.push_back(take(s, tick, utc, "class/" + fileNameOf(s.Id, s.Id == first.Id ? 1 : 0)));
    }
    // Everyone but Lee, and one student who handed nothing in.
    std::string roster = "identifier,last name,first name\r\n";
    for (const Student& s : students())
      if (strcmp(s.Id, "lll112") != 0)
        roster += std::string(s.Id) + ",x,y\r\n";
    roster += "nof000,Nobody,Nora\r\n";
    folder.write("roster.csv", roster);
  }

  // Points per student and item (NaN where the item was not asked), graders' marks in.
  std::vector<std::vector<double>> expectedPoints(bool withGraders) const {
    std::vector<std::vector<double>> all;
    for (size_t s = 0; s < students().size(); ++s) {
      const Student& st = students()[s];
      std::vector<double> row(ItemCount, NAN);
      for (int i = 0; i < ItemCount; ++i) {
        std::string item = Items[i];
        std::string key = item == "5" || item == "6" ? "pool" : item;
        if (key == "pool" && item != pools[s])
          continue;
        double p = st.Expected.at(key);
        row[i] = p >= 0 ? p : withGraders ? st.Graders.at(item) : -1;
      }
      all.push_back(row);
    }
    return all;
  }

  std::vector<std::string> pools;  // the pool question each student was asked
};

TEST_F(GradingReportTest, AClassIsScoredMarkedAnalysedAndFlaggedAsWorkedOutByHand) {
  makeClass();
  const std::string dir = folder.file("class");
  const std::string common = "--exam " + folder.file("exam.txt") + " --roster " +
                             folder.file("roster.csv") + " ";

  // First run: the key's scores, and an answers sheet with the points left to mark.
  ToolRun first = report(common + "--answers " + folder.file("sheet.csv") + " --grades " +
                         folder.file("before.csv") + " " + dir);
  ASSERT_EQ(first.Status, 0) << first.Err << first.Out;
  CsvTable sheet = csvOf(folder.read("sheet.csv"));
  std::vector<std::string> head = sheet.Rows[0];
  auto column = [&](const std::string& name) {
    return static_cast<size_t>(std::find(head.begin(), head.end(), name) - head.begin());
  };
  std::vector<std::vector<double>> byKey = expectedPoints(false);
  for (size_t s = 0; s < students().size(); ++s) {
    const std::string file = dir + pathSeparator() + fileNameOf(students()[s].Id, s == 0 ? 1 : 0);
    const std::vector<std::string>* row = nullptr;
    for (const auto& r : sheet.Rows)
      if (r.size() > 2 && r[2] == file)
        row = &r;
    ASSERT_TRUE(row) << file;
    for (int i = 0; i < ItemCount; ++i) {
      std::string cell = (*row)[column(std::string(Items[i]) + " points")];
      double want = byKey[s][i];
      std::string expected = std::isnan(want) || want < 0 ? "" : std::to_string(static_cast<int>(want));
      EXPECT_EQ(cell, expected) << students()[s].Id << " " << Items[i];
    }
  }
  // An answer a spreadsheet would take for a date stays as typed.
  EXPECT_NE(folder.read("sheet.csv").find(",'12/5,1,"), std::string::npos);
  // Before the marks, no score for anyone with a mark to give.
  CsvTable before = csvOf(folder.read("before.csv"));
  EXPECT_EQ(rowOf(before, "iii109"),
            (std::vector<std::string>{"iii109", "x", "y", "14", "19", "73.68", "",
                                      "whole, for this student and password"}));
  EXPECT_EQ(rowOf(before, "aaa101")[3], "");
  EXPECT_EQ(rowOf(before, "nof000"),
            (std::vector<std::string>{"nof000", "Nobody", "Nora", "", "", "", "", "no file handed in"}));

  // The graders fill the empty points in a spreadsheet, which saves the rows in another
  // order, quoted, with LF line ends and a byte order mark.
  std::string filled = "\xEF\xBB\xBF";
  std::vector<std::vector<std::string>> rows(sheet.Rows.begin(), sheet.Rows.end());
  std::reverse(rows.begin() + 1, rows.end());
  for (auto& row : rows) {
    for (size_t s = 0; s < students().size(); ++s)
      if (row.size() > 2 && row[2].ends_with(fileNameOf(students()[s].Id, s == 0 ? 1 : 0)))
        for (const auto& [item, mark] : students()[s].Graders)
          row[column(item + " points")] = std::to_string(static_cast<int>(mark));
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
      std::string cell = row[c];
      std::string quoted;
      for (char ch : cell)
        quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
      line += (c ? "," : "") + ("\"" + quoted + "\"");
    }
    filled += line + "\n";
  }
  folder.write("filled.csv", filled);

  ToolRun second = report(common + "--marks " + folder.file("filled.csv") + " --grades " +
                          folder.file("grades.csv") + " --items " + folder.file("items.csv") + " " + dir);
  ASSERT_EQ(second.Status, 0) << second.Err << second.Out;

  // Every total complete, each as the sum of the points worked out by hand.
  std::vector<std::vector<double>> points = expectedPoints(true);
  CsvTable grades = csvOf(folder.read("grades.csv"));
  EXPECT_EQ(grades.Rows[0], (std::vector<std::string>{"identifier", "last name", "first name", "score",
                                                      "max", "percent", "late", "verdict"}));
  EXPECT_EQ(grades.Rows.size(), 14u);  // twelve, the one who handed in nothing, the header
  std::vector<double> totals;
  for (size_t s = 0; s < students().size(); ++s) {
    double total = 0;
    for (double p : points[s])
      total += std::isnan(p) ? 0 : p;
    totals.push_back(total);
    std::vector<std::string> row = rowOf(grades, students()[s].Id);
    ASSERT_EQ(row.size(), 8u) << students()[s].Id;
    EXPECT_EQ(row[3], std::to_string(static_cast<int>(total))) << students()[s].Id;
    EXPECT_EQ(row[4], "19");
  }
  EXPECT_EQ(rowOf(grades, "aaa101")[1], "x");  // the roster's names
  EXPECT_EQ(rowOf(grades, "lll112")[1], "Lee");

  // Facility and discrimination of each item, and alpha, against this test's own sums.
  CsvTable items = csvOf(folder.read("items.csv"));
  for (int i = 0; i < ItemCount; ++i) {
    std::vector<double> x, rest;
    for (size_t s = 0; s < students().size(); ++s)
      if (!std::isnan(points[s][i])) {
        x.push_back(points[s][i]);
        rest.push_back(totals[s] - points[s][i]);
      }
    std::vector<std::string> row = rowOf(items, Items[i]);
    ASSERT_GE(row.size(), 6u) << Items[i];
    EXPECT_EQ(row[2], std::to_string(x.size())) << Items[i];
    EXPECT_NEAR(std::stod(row[4]), mean(x) / Points[i], 0.01) << Items[i];
    if (variance(x) > 0)
      EXPECT_NEAR(std::stod(row[5]), correlation(x, rest), 0.01) << Items[i];
    else
      EXPECT_EQ(row[5], "") << Items[i];
  }
  // Question 1's choices: c (keyed) by seven, a by two, b by one, d by one; "b. 27" is
  // no letter alone.
  std::vector<std::string> one = rowOf(items, "1");
  EXPECT_EQ(std::vector<std::string>(one.begin() + 6, one.begin() + 10),
            (std::vector<std::string>{"2", "1", "7", "1"}));
  // Alpha: seven parts, the pool one of them.
  std::vector<std::vector<double>> parts(7);
  for (size_t s = 0; s < students().size(); ++s)
    for (int i = 0, p = 0; i < ItemCount; ++i) {
      if (i == 6)
        continue;  // 6 shares the pool's part with 5
      double v = i == 5 ? (std::isnan(points[s][5]) ? points[s][6] : points[s][5]) : points[s][i];
      parts[p++].push_back(v);
    }
  double sumOfVariances = 0;
  for (const auto& part : parts)
    sumOfVariances += variance(part);
  double alpha = 7.0 / 6.0 * (1 - sumOfVariances / variance(totals));
  std::vector<std::string> alphaRow = rowOf(items, "alpha");
  ASSERT_GE(alphaRow.size(), 3u);
  EXPECT_NEAR(std::stod(alphaRow[1]), alpha, 0.01);
  EXPECT_NEAR(std::stod(rowOf(items, "mean total")[1]), mean(totals), 0.01);

  // The flags: Chen and Diaz, on 2, 3 and 4.b; no other pair. Gray's start, King's second
  // opening, Lee off the roster.
  const std::string& out = second.Out;
  EXPECT_NE(out.find("Chen, Cara (ccc103) and Diaz, Dan (ddd104) share 3 answers: 2, 3, 4.b"),
            std::string::npos)
      << out;
  EXPECT_EQ(countOf(out, " share "), 1u) << out;
  EXPECT_NE(out.find("3 days 0:00:00 before the class's median start"), std::string::npos) << out;
  EXPECT_NE(out.find("exam count 2"), std::string::npos);
  EXPECT_NE(out.find("the identifier lll112 is not on the roster"), std::string::npos);
  EXPECT_NE(out.find("nof000"), std::string::npos);
  EXPECT_NE(out.find("no file handed in"), std::string::npos);
  EXPECT_NE(out.find("no, a later attempt of aaa101 is (--attempt last)"), std::string::npos);
}

TEST_F(GradingReportTest, WhatTheGraderDidNotMeanIsRefusedAndNothingIsWritten) {
  std::filesystem::create_directory(folder.file("class"));
  take(students()[0], 2000000, 134169300000000000ULL, "class/" + fileNameOf("aaa101"));
  const std::string dir = folder.file("class");
  const std::string exam = std::string(DemoHeader) + "\n" + Body;
  const std::string outputs = " --grades " + folder.file("g.csv") + " --answers " + folder.file("a.csv") + " ";
  struct Case {
    std::string Arguments, Error;
  };
  folder.write("typo.txt", exam + "= 150% anything\n");
  folder.write("exam.txt", exam);
  folder.write("other.csv", "identifier,file,1 points,2 points,8 points\naaa101,x.xmc,1,1,1\n");
  folder.write("over.csv", "identifier,file,1 points,2 points,3 points,4.a points,4.b points,5 points,"
                           "6 points,7 points\naaa101," + fileNameOf("aaa101") + ",,,,,,,,6\n");
  const std::string examPath = folder.file("exam.txt");
  for (const Case& c : std::vector<Case>{
           {"--exam " + folder.file("typo.txt"),
            "veritor-author report: " + folder.file("typo.txt") +
                ": line 29: the credit 150% is not from 1% to 100%\n"},
           {"--exam " + examPath + " --marks " + folder.file("other.csv"),
            "veritor-author report: " + folder.file("other.csv") +
                ": the sheet is not of this exam's questions: it has columns for questions the "
                "exam text has not (8 points); it has no column 3 points, 4.a points, 4.b points, "
                "5 points, 6 points, 7 points; nothing was taken from it\n"},
           {"--exam " + examPath + " --marks " + folder.file("over.csv"),
            "veritor-author report: " + folder.file("over.csv") +
                ": row 2, column J (7 points): 6 is more than the question's 5 points\n"},
       }) {
    ToolRun run = report(c.Arguments + outputs + dir);
    EXPECT_EQ(run.Status, 2) << c.Arguments;
    EXPECT_EQ(run.Err, c.Error);
    EXPECT_EQ(run.Out, "");
    EXPECT_FALSE(std::filesystem::exists(folder.file("g.csv")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("a.csv")));
  }
  // Outputs never go over what the report reads, and grading needs the exam text.
  ToolRun over = report("--exam " + examPath + " --items " + examPath + " " + dir);
  EXPECT_EQ(over.Status, 2);
  EXPECT_NE(over.Err.find("is the exam text, the roster or the marks sheet"), std::string::npos);
  EXPECT_EQ(folder.read("exam.txt"), exam);
  EXPECT_EQ(report("--grades " + folder.file("g.csv") + " " + dir).Err,
            "veritor-author report: --grades grades the class: it needs the exam text (--exam "
            "EXAM.txt)\n(see 'veritor-author report --help')\n");
  EXPECT_EQ(report("--window 2026/02/30 2026/03/01 " + dir).Status, 2);
}

}  // namespace
