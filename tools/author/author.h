// veritor-author: the instructor's tool.
#pragma once

// Each command takes the arguments after its name and returns the exit status.
int authorNew(int argc, char** argv);
int authorMake(int argc, char** argv);
int authorShow(int argc, char** argv);
int authorRead(int argc, char** argv);
int authorReport(int argc, char** argv);
