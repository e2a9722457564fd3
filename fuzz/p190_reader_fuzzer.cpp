// Fuzz target: the UKOOA P1/90 reader. The first byte chooses latitudes and
// longitudes or grid coordinates; the rest is the file. Geographic positions
// must be in range, and a file reads either into tracks or into its refusal,
// which names a line when it is not "Input file empty.". Any crash,
// sanitizer report or broken invariant (std::abort) is a finding.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "navformats/p190_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const oru::P190Choices choices{data[0] % 2 == 1};
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const oru::NavReadOutcome read = oru::ReadP190Tracks(text, choices);
  if (read.tracks.empty() == read.error.empty()) std::abort();
  if (!read.error.empty() && read.error != "Input file empty." && read.error.rfind("Line ", 0) != 0) {
    std::abort();
  }
  for (const oru::NavTrack& track : read.tracks) {
    if (track.first.empty() || track.first.size() != track.second.size()) std::abort();
    for (std::size_t i = 0; i < track.first.size() && track.geographic; ++i) {
      if (!(track.first[i] >= -90.0 && track.first[i] <= 90.0)) std::abort();
      if (!(track.second[i] >= -180.0 && track.second[i] <= 180.0)) std::abort();
    }
  }
  return 0;
}
