// The student's identity: last name, first name and the abc123 identifier.
#pragma once

// Checks an abc123 identifier (three letters, three digits) and lowers its letters in
// place. Returns 0 when valid, -1 after telling the student what is wrong.
int validateStudentId(char* id);

// Asks for the identity until the student confirms it, then stores it in
// State.StudentFullName and State.StudentId.
void askStudentIdentity();
