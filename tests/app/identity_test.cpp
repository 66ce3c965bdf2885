#include "app/identity.h"

#include <cstring>
#include <string>

#include "state/program_state.h"
#include "support/scripted_test.h"

namespace {

const char* const LengthMessage =
    "\n\n*** Error - Invalid abc123, MUST be exactly 6 characters, 3 letters, 3 numbers.\n\n";
const char* const LettersMessage = "\n\n*** Error - abc123 MUST begin with 3 letters.\n\n";
const char* const DigitsMessage = "\n\n*** Error - abc123 MUST end with 3 decimal digits.\n\n";
const char* const Confirm = "Is the information correct?  Y(y) / N(n): ";

}  // namespace

class IdentityTest : public ScriptedTest {};

// A good id comes back with its letters lowered and nothing said; a bad one with its
// message on the error stream.
TEST_F(IdentityTest, ValidateStudentIdLowersAGoodIdAndNamesWhatIsWrong) {
  struct Case {
    const char* Typed;
    int Result;
    const char* Message;
    const char* After;
  };
  const Case cases[] = {
      {"ABC123", 0, "", "abc123"},
      {"xYz007", 0, "", "xyz007"},
      {"abc12", -1, LengthMessage, "abc12"},
      {"abc1234", -1, LengthMessage, "abc1234"},
      {"", -1, LengthMessage, ""},
      {"ab1234", -1, LettersMessage, "ab1234"},
      {"AB1234", -1, LettersMessage, "ab1234"},  // letters already lowered stay lowered
      {"abc12x", -1, DigitsMessage, "abc12x"},
      {"ABC 12", -1, DigitsMessage, "abc 12"},
      {"\xe9" "bc123", -1, LettersMessage, "\xe9" "bc123"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Typed);
    char id[8];
    strcpy(id, c.Typed);
    EXPECT_EQ(validateStudentId(id), c.Result);
    EXPECT_STREQ(id, c.After);
    EXPECT_EQ(console.takeText(), c.Message);
  }
  EXPECT_EQ(out(), "");
  EXPECT_EQ(attributeOf("*** Error"), 15);
}

TEST_F(IdentityTest, AConfirmedIdentityIsStored) {
  console.typeLine("Doe");
  console.typeLine("Jane Ann");
  console.typeLine("ABC123");
  console.typeLine("y");
  askStudentIdentity();
  EXPECT_STREQ(State.StudentFullName, "Doe, Jane Ann");
  EXPECT_STREQ(State.StudentId, "abc123");
  EXPECT_EQ(out(), std::string("\n\nEnter your Last Name: \n\nEnter your First Name: ") +
                       "\n\nEnter your abc123: \n  Name: Doe, Jane Ann\nabc123: abc123\n\n" +
                       Confirm);
  EXPECT_EQ(attributeOf(Confirm), 14);
  EXPECT_EQ(console.echoed(), "DoeJane AnnABC123");
  EXPECT_TRUE(console.scriptDone());
}

TEST_F(IdentityTest, EmptyNamesAreAskedForAgainWithoutAMessage) {
  console.typeLine("");
  console.typeLine("Doe");
  console.typeLine("");
  console.typeLine("Jane");
  console.typeLine("abc123");
  console.typeLine("Y");
  askStudentIdentity();
  EXPECT_EQ(out().rfind("\n\nEnter your Last Name: \n\nEnter your Last Name: "
                        "\n\nEnter your First Name: \n\nEnter your First Name: "
                        "\n\nEnter your abc123: ",
                        0),
            0u);
  EXPECT_EQ(err(), "");
  EXPECT_STREQ(State.StudentFullName, "Doe, Jane");
}

TEST_F(IdentityTest, AnInvalidIdIsAskedForAgainAfterItsMessage) {
  console.typeLine("Doe");
  console.typeLine("Jane");
  console.typeLine("ab1234");
  console.typeLine("abc12x");
  console.typeLine("abc12");
  console.typeKeys("abc1234");  // the seventh character ends the line by itself
  console.typeLine("abc123");
  console.typeLine("y");
  askStudentIdentity();
  EXPECT_EQ(err(), std::string(LettersMessage) + DigitsMessage + LengthMessage + LengthMessage);
  EXPECT_STREQ(State.StudentId, "abc123");
  EXPECT_TRUE(console.scriptDone());
}

TEST_F(IdentityTest, A47CharacterLastNameEndsWithoutEnter) {
  std::string last(47, 'L');
  console.typeKeys(last);
  console.typeLine("Jane");
  console.typeLine("abc123");
  console.typeLine("y");
  askStudentIdentity();
  EXPECT_EQ(std::string(State.StudentFullName), last + ", Jane");
  EXPECT_TRUE(console.scriptDone());
}

TEST_F(IdentityTest, TheFullNameIsCutAt63Characters) {
  std::string last(40, 'L');
  std::string first(40, 'F');
  console.typeLine(last);
  console.typeLine(first);
  console.typeLine("abc123");
  console.typeLine("y");
  askStudentIdentity();
  EXPECT_EQ(std::string(State.StudentFullName), last + ", " + std::string(21, 'F'));
  // The confirmation showed the names as typed.
  EXPECT_NE(out().find("  Name: " + last + ", " + first + "\n"), std::string::npos);
}

TEST_F(IdentityTest, AnsweringNoAsksForAllThreeAgain) {
  console.typeLine("Doe");
  console.typeLine("Jane");
  console.typeLine("abc123");
  console.typeLine("x");  // not an answer: the complaint, and the question again
  console.typeLine("n");
  console.typeLine("Roe");
  console.typeLine("Rick");
  console.typeLine("XYZ789");
  console.typeLine("y");
  askStudentIdentity();
  EXPECT_STREQ(State.StudentFullName, "Roe, Rick");
  EXPECT_STREQ(State.StudentId, "xyz789");
  std::string text = out();
  size_t second = text.find("\n  Name: Doe, Jane\nabc123: abc123\n\n");
  ASSERT_NE(second, std::string::npos);
  EXPECT_NE(text.find("\n\nEnter your Last Name: \n\nEnter your First Name: "
                      "\n\nEnter your abc123: \n  Name: Roe, Rick\nabc123: xyz789\n\n",
                      second),
            std::string::npos);
  EXPECT_NE(text.find("Please enter ONE of the following keys"), std::string::npos);
  EXPECT_TRUE(console.scriptDone());
}
