// Fuzz target: the "dms" track reader (see track_reader_fuzz.h).
#include "fuzz/track_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return oru::fuzz::RunReaderFuzz(data, size, oru::InputFormat::AsciiDms, oru::ParseDmsLine);
}
