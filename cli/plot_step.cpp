#include "cli/plot_step.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "cli/curve_outputs.h"
#include "trackio/temporary_files.h"
#ifdef ORU_HAVE_PLOT_IMAGE
#include "dynload/loaded_module.h"
#include "plot/plot_pictures.h"
#endif

namespace oru {
namespace {

namespace fs = std::filesystem;

// The two hand-off files of a plot: their names and texts.
using HandoffTexts = std::array<std::pair<const char*, const std::string*>, 2>;

#ifdef ORU_HAVE_PLOT_IMAGE
// The picture functions, opened from their shared object at the first
// picture (Qt is loaded with it); null, with `error` saying why, when it
// cannot be opened.
const PlotImageEntry* Pictures(std::string& error) {
  static std::string load_error;
  static const PlotImageEntry* const entry = [] {
    const auto* loaded = static_cast<const PlotImageEntry*>(LoadModuleEntry(
        kPlotImageModuleFile, kPlotImageEntryName, "Qt pictures", load_error));
    if (loaded == nullptr || loaded->version == PlotImageEntry::kVersion) return loaded;
    load_error = std::string("Qt pictures (") + kPlotImageModuleFile +
                 ") are of another build of ORU: reinstall ORU";
    return static_cast<const PlotImageEntry*>(nullptr);
  }();
  error = load_error;
  return entry;
}

// A new folder of the run's own (mkdtemp: a name no one else has, mode
// 0700) under the temporary directory. It and the files written into it
// are removed at the end, or on SIGINT, SIGTERM and SIGHUP; nothing else
// is touched.
class PrivateFolder {
 public:
  PrivateFolder() {
    std::error_code ec;
    std::string pattern = (fs::temp_directory_path(ec) / "oru-plot-XXXXXX").string();
    // No signal between the folder's creation and its registration.
    const SignalsHeld held;
    if (::mkdtemp(pattern.data()) == nullptr) {
      error_ = errno;
      return;
    }
    path_ = pattern;
    RegisterTemporaryFile(path_.c_str());
  }
  ~PrivateFolder() {
    for (const std::string& file : files_) {
      ::unlink(file.c_str());
      UnregisterTemporaryFile(file.c_str());
    }
    if (path_.empty()) return;
    ::rmdir(path_.c_str());
    UnregisterTemporaryFile(path_.c_str());
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  int error() const { return error_; }
  const fs::path& path() const { return path_; }

  FileStatus Write(const char* name, std::string_view content) {
    files_.push_back((path_ / name).string());
    RegisterTemporaryFile(files_.back().c_str());
    return WriteFileAtomically(files_.back(), content);
  }

 private:
  fs::path path_;
  std::vector<std::string> files_;
  int error_ = 0;
};

// The picture's PNG bytes into `png` from the hand-off texts; empty, or
// why there is none.
std::string DrawPicture(const CliOptions& options, bool xy_input, const HandoffTexts& texts,
                        std::string& png, std::vector<std::string>& notes) {
  std::string error;
  const PlotImageEntry* pictures = Pictures(error);
  if (pictures == nullptr) return error;
  PrivateFolder folder;
  if (folder.error() != 0) {
    return WithSystemReason("No temporary folder to draw in.", folder.error());
  }
  for (const auto& [name, text] : texts) {
    if (const FileStatus written = folder.Write(name, *text); !written) {
      return WithSystemReason("Plot file " + (folder.path() / name).string() +
                                  " could not be written.",
                              written.error);
    }
  }
  // Without a runtime folder Qt makes one of its own under the temporary
  // directory, and leaves it there; the run's folder serves (it is 0700 and
  // ours, as Qt asks, and Qt puts nothing in it for drawing off screen).
  if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
    ::setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
  }
  PlotImageRequest request;
  request.handoff_dir = folder.path();
  request.width = options.plot_width;
  request.height = options.plot_height;
  request.xy_input = xy_input;
  request.open_on_track = options.plot_on_track;
  std::error_code ec;
  request.places = DefaultLookupPlaces(fs::canonical("/proc/self/exe", ec).parent_path());
  error = pictures->render_plot_image(request, notes, png);
  if (error.empty()) return {};
  return "The plot picture " + options.plot_image + " could not be drawn: " + error + ".";
}

std::string DrawCurve(const std::vector<CurvePoint>& curve, std::int64_t chosen, std::string& png) {
  std::string error;
  const PlotImageEntry* pictures = Pictures(error);
  if (pictures == nullptr) return error;
  return pictures->render_curve_image(curve, chosen, 800, 500, png);
}
#else
std::string DrawPicture(const CliOptions&, bool, const HandoffTexts&, std::string&,
                        std::vector<std::string>&) {
  return "This build draws no pictures (built without Qt).";
}

std::string DrawCurve(const std::vector<CurvePoint>&, std::int64_t, std::string&) {
  return "this build draws no pictures (built without Qt)";
}
#endif

// Stages `content` for `path` in `pending`; empty, or the failure text with
// the system's reason.
std::string Stage(PendingOutputs& pending, const fs::path& path, std::string content,
                  std::string failure) {
  const auto error = pending.AddText(path, std::move(content), std::move(failure));
  return error ? WithSystemReason(error->message, error->system_error) : std::string();
}

}  // namespace

std::string StagePlot(const CliOptions& options, const FileReport& file, PendingOutputs& pending,
                      std::vector<std::string>& notes) {
  const HandoffChoices choices{options.settings.datum, *file.read_format.survey,
                               *file.write_format.survey};
  const HandoffText all_points = AllPointsText(file.input_text, choices);
  const HandoffText selected_points = SelectedPointsText(file.output_text, choices);
  const HandoffTexts texts = {std::pair{kAllPointsFile, &all_points.text},
                              std::pair{kSelectedPointsFile, &selected_points.text}};
  if (!options.plot_dir.empty()) {
    for (const auto& [name, text] : texts) {
      const fs::path path = fs::path(options.plot_dir) / name;
      std::string error =
          Stage(pending, path, *text, "Plot file " + path.string() + " could not be written.");
      if (!error.empty()) return error;
    }
  }
  if (options.plot_image.empty()) return {};
  const bool xy_input = file.read_format.survey == InputFormat::AsciiXY;
  std::string png;
  if (std::string error = DrawPicture(options, xy_input, texts, png, notes); !error.empty()) {
    return error;
  }
  return Stage(pending, options.plot_image, std::move(png),
               "Plot picture " + options.plot_image + " could not be written.");
}

std::string StageCurve(const CliOptions& options, const TrackReport& track,
                       PendingOutputs& pending) {
  if (!track.record) return {};
  const std::vector<CurvePoint> curve = track.record->Curve();
  if (!options.curve.empty()) {
    std::string error = Stage(pending, options.curve, CurveCsv(curve),
                              "Curve file " + options.curve + " could not be written.");
    if (!error.empty()) return error;
  }
  if (options.curve_image.empty()) return {};
  std::string png;
  if (std::string error = DrawCurve(curve, track.statistics.count, png); !error.empty()) {
    return "The curve picture " + options.curve_image + " could not be drawn: " + error + ".";
  }
  return Stage(pending, options.curve_image, std::move(png),
               "Curve picture " + options.curve_image + " could not be written.");
}

}  // namespace oru
