// Prints the simulated handset's reading of every code of code page 932,
// for readings_test.py to compare with Python's codec.
#include <cstdio>

#include "simulator/cp932_readings.h"

int main() {
  const std::string readings = ListCp932Readings();
  return std::fwrite(readings.data(), 1, readings.size(), stdout) == readings.size() ? 0 : 1;
}
