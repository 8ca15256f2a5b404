#include "app/Program.h"

int main(int argc, char** argv) {
  return tilvane::RunTilvane(argc, argv);
}
