#include "app/run_messages.h"

#include <cstdint>

#include "trackio/file_io.h"

namespace oru {
namespace {

// "1 line", "2 lines".
std::string Count(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "a", "a and b", "a, b and c".
std::string Listed(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
    text += items[i];
  }
  return text;
}

// A sentence of `text`: its first letter a capital, a full stop at its end.
std::string Sentence(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 32);
  if (!text.empty() && text.back() != '.') text += '.';
  return text;
}

std::string LinesPassedOver(const FileReport& file) {
  std::vector<std::string> numbers;
  for (const std::int64_t line : file.skipped_lines) numbers.push_back(std::to_string(line));
  const std::int64_t more = file.lines_skipped - static_cast<std::int64_t>(numbers.size());
  if (more > 0) numbers.push_back(Count(more, "more", "more"));
  return Count(file.lines_skipped, "line", "lines") + " of " + file.input.string() +
         (file.lines_skipped == 1 ? " is no valid NMEA sentence and was"
                                  : " are no valid NMEA sentences and were") +
         " passed over: " + (file.skipped_lines.size() == 1 ? "line " : "lines ") +
         Listed(numbers) + ".";
}

std::string FeaturesNotThinned(const FileReport& file) {
  const GisSkipped& f = file.features;
  std::vector<std::string> kinds;
  if (f.points > 0) kinds.push_back(Count(f.points, "point", "points"));
  if (f.polygons > 0) kinds.push_back(Count(f.polygons, "polygon", "polygons"));
  if (f.other > 0) kinds.push_back(Count(f.other, "other feature", "other features"));
  const bool one = f.points + f.polygons + f.other == 1;
  return Listed(kinds) + " of " + file.input.string() + (one ? " is no track" : " are no tracks") +
         (file.features_written ? ": written as " + std::string(one ? "it is." : "they are.")
                                : ": left out, since survey text and routes hold tracks only.");
}

}  // namespace

std::string WindowText(const RunError& error) {
  std::string text = Sentence(WithSystemReason(error.message, error.system_error));
  switch (error.remedy) {
    case Remedy::None:
    case Remedy::Recursive:
      break;
    case Remedy::OutputFolder:
      text += " Choose \"GIS or navigation file\" as the output format to write them all.";
      break;
    case Remedy::Crs:
      text += " Enter the EPSG code of their projected CRS under \"CRS of X, Y tracks\".";
      break;
    case Remedy::OutputFormat:
      text += " Choose an output file whose extension names a format that is written (.gpx, "
              ".gpkg, .shp, .geojson, .kml, .fgb, .csv, .rtz).";
      break;
  }
  return text;
}

std::vector<std::string> RunMessages(const PipelineOutcome& outcome) {
  std::vector<std::string> messages;
  if (outcome.stopped) return messages;
  if (outcome.error) messages.push_back(WindowText(*outcome.error));
  for (const FileReport& file : outcome.files) {
    if (file.lines_skipped > 0) messages.push_back(LinesPassedOver(file));
    if (file.error) {
      const std::string input = file.input.string();
      std::string text = WindowText(*file.error);
      // Messages that do not name the file get its name first.
      if (file.error->message.find(input) == std::string::npos) text = input + ": " + text;
      messages.push_back(text);
      continue;
    }
    for (const std::string& warning : file.warnings) {
      messages.push_back(file.input.string() + ": " + Sentence(warning));
    }
    if (file.features.points + file.features.polygons + file.features.other > 0) {
      messages.push_back(FeaturesNotThinned(file));
    }
    for (const std::string& layer : file.layers_left_out) {
      messages.push_back("Left out of " + file.output.string() + ": " + Sentence(layer));
    }
  }
  return messages;
}

std::string TracksText(const PipelineOutcome& outcome) {
  std::string text;
  std::int64_t tracks = 0;
  for (const FileReport& file : outcome.files) {
    for (const TrackReport& track : file.tracks) {
      const StatisticsTexts texts = FormatStatistics(track.statistics);
      text += track.place;
      if (!track.own_file.empty()) text += " (" + track.own_file.string() + ")";
      text += ":\n" + StatisticsRows(texts);
      if (track.capped) {
        text += "Capped at " + std::to_string(track.statistics.count) +
                " points by \"Maximum waypoints\": the maximum distance reached is " +
                texts.max_deviation + " m.\n";
      }
      text += '\n';
      ++tracks;
    }
  }
  if (tracks == 0) return text;
  return text + "Total of " + Count(tracks, "track", "tracks") + ":\n" +
         StatisticsRows(FormatStatistics(TotalStatistics(outcome)));
}

}  // namespace oru
