// Writes the generated navigation files of the benchmarks (bench/nav_files.h)
// for bench/nav_run.sh:  make_nav_files nmea|p190 FILE RECORDS
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/nav_files.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_nav_files nmea|p190 FILE RECORDS\n");
    return 2;
  }
  const long records = std::atol(argv[3]);
  const std::string text = std::strcmp(argv[1], "nmea") == 0 ? oru::bench::NmeaLog(records)
                                                             : oru::bench::P190File(records);
  FILE* file = std::fopen(argv[2], "wb");
  const bool ok = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return file != nullptr && std::fclose(file) == 0 && ok ? 0 : 1;
}
