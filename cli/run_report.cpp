#include "cli/run_report.h"

#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "escaping/escapes.h"
#include "run/file_notes.h"

namespace oru {
namespace {

// The statistics object with `keys` (already JSON, each ending in ", ") first.
std::string JsonLine(const std::string& keys, const StatisticsTexts& texts, SelectionMethod method,
                     const std::optional<QualityTexts>& quality = std::nullopt) {
  return "{" + keys + StatisticsJson(texts, method, quality).substr(1);
}

// "1 track", "2 tracks".
std::string Count(std::int64_t n, const char* one) {
  return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
}

void PrintTrack(const FileReport& file, const TrackReport& track, bool json,
                SelectionMethod method, std::ostream& out) {
  const StatisticsTexts texts = FormatStatistics(track.statistics);
  const bool own_file = !track.own_file.empty();
  if (!json) {
    out << TerminalText(file.input.string()) << ", " << TerminalText(track.place);
    if (own_file) out << " (" << TerminalText(track.own_file.string()) << ")";
    out << ":\n" << StatisticsRows(texts);
    if (track.capped) {
      out << "Capped at " << track.statistics.count << " points by --max-waypoints: the "
          << "maximum distance reached is " << texts.max_deviation << " m.\n";
    }
    out << '\n';
    return;
  }
  std::string keys = "\"file\": " + JsonString(file.input.string()) +
                     ", \"track\": " + JsonString(track.place) + ", ";
  if (own_file) {
    keys += std::string(file.write_format.IsRtz() ? "\"route_file\"" : "\"track_file\"") + ": " +
            JsonString(track.own_file.string()) + ", ";
  }
  if (file.lines_skipped >= 0) {
    keys += "\"lines_skipped\": " + std::to_string(file.lines_skipped) + ", ";
  }
  if (track.capped) keys += "\"capped\": true, ";
  out << JsonLine(keys, texts, method,
                  track.quality ? std::optional(FormatQuality(*track.quality)) : std::nullopt);
}

}  // namespace

std::string FileErrorText(const FileReport& file) {
  const std::string text = CommandLineText(*file.error);
  const std::string input = file.input.string();
  return text.find(input) != std::string::npos ? text : input + ": " + text;
}

int PrintRunReport(const PipelineOutcome& outcome, bool json, SelectionMethod method,
                   bool summary, std::ostream& out, std::ostream& err) {
  std::int64_t tracks = 0;
  std::int64_t lines_skipped = 0;
  std::vector<std::string> failed;
  bool usage_only = true;
  for (const FileReport& file : outcome.files) {
    if (file.stopped) {
      err << TerminalText(file.input.string()) << ": stopped before it was written\n";
      failed.push_back(file.input.string());
      continue;
    }
    if (file.error) {
      err << TerminalText(file.error->kind == ErrorKind::Usage
                              ? "oru-cli: " + CommandLineText(*file.error)
                              : FileErrorText(file))
          << '\n';
      usage_only = usage_only && file.error->kind == ErrorKind::Usage;
      failed.push_back(file.input.string());
      continue;
    }
    for (const std::string& note : FileNotes(file)) err << TerminalText(note) << '\n';
    lines_skipped += std::max<std::int64_t>(file.lines_skipped, 0);
    for (const TrackReport& track : file.tracks) PrintTrack(file, track, json, method, out);
    tracks += static_cast<std::int64_t>(file.tracks.size());
  }
  const std::size_t written = outcome.files.size() - failed.size();
  if (written > 0) {
    const StatisticsTexts texts = FormatStatistics(TotalStatistics(outcome));
    if (json) {
      std::string failures = "[";
      for (const std::string& f : failed) {
        failures += (failures.size() > 1 ? ", " : "") + JsonString(f);
      }
      out << JsonLine("\"file\": null, \"track\": null, \"files\": " + std::to_string(written) +
                          ", \"tracks\": " + std::to_string(tracks) +
                          ", \"failed\": " + failures +
                          "], \"lines_skipped\": " + std::to_string(lines_skipped) + ", ",
                      texts, method);
    } else {
      out << "Total of " << Count(tracks, "track") << " in " << Count(written, "file") << ":\n"
          << StatisticsRows(texts);
    }
  }
  if (outcome.stopped) {
    // What a stopped run wrote, so that no one takes it for nothing.
    if (written == 0) {
      err << kRunStoppedMessage << '\n';
    } else {
      err << "Stopped; " << written << " of " << Count(static_cast<std::int64_t>(outcome.files.size()), "file")
          << " were written, the others were not.\n";
    }
    return 130;
  }
  if (failed.empty()) return 0;
  if (summary) {
    err << "oru-cli: " << failed.size() << " of " << outcome.files.size() << " files failed:";
    for (const std::string& f : failed) err << ' ' << TerminalText(f);
    err << '\n';
  }
  return usage_only && written == 0 ? 2 : 1;
}

}  // namespace oru
