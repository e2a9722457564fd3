#include "run/file_notes.h"

namespace oru {

std::vector<std::string> FileNotes(const FileReport& file) {
  std::vector<std::string> notes;
  const std::string input = file.input.string();
  for (const std::string& warning : file.warnings) notes.push_back(input + ": " + warning);
  for (const std::string& layer : file.layers_left_out) {
    notes.push_back(input + ": left out " + layer);
  }
  if (file.lines_skipped > 0) {
    notes.push_back(input + ": " + std::to_string(file.lines_skipped) +
                    (file.lines_skipped == 1 ? " line" : " lines") +
                    " passed over: not valid NMEA sentences");
  }
  const GisSkipped& features = file.features;
  if (features.points + features.polygons + features.other > 0) {
    notes.push_back(input +
                    (file.features_written ? ": not thinned, kept as they are: "
                                           : ": not tracks, left out of the output: ") +
                    std::to_string(features.points) + " point, " +
                    std::to_string(features.polygons) + " polygon and " +
                    std::to_string(features.other) + " other features");
  }
  return notes;
}

}  // namespace oru
