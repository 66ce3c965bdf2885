#include "app/startup.h"

int main(int argc, char** argv) {
  runVeritor(argc, argv);
}
