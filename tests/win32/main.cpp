// Runs every registered check of this executable.
#include "tests/win32/check.h"

int main() { return tarvik::check::RunAll(); }
