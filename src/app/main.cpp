#include "app/CommandMode.h"

int main(int argc, char** argv) {
  return tilvane::RunProgram(argc, argv);
}
