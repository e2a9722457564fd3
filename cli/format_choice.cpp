#include "cli/format_choice.h"

namespace oru {

bool IsGisCommand(const CliOptions& options) {
  if (!options.output_dir.empty() || !options.gis_input_format.empty() ||
      !options.gis_output_format.empty()) {
    return true;
  }
  // A survey format named, or an input without a GIS extension, keeps the
  // survey run, whatever the output is called.
  return !options.survey_format_named &&
         GisFormatOfPath(options.request.input.string()) != nullptr;
}

const GisFormat* InputGisFormat(const CliOptions& options, const std::string& path) {
  if (!options.gis_input_format.empty()) return GisFormatByName(options.gis_input_format);
  return GisFormatOfPath(path);
}

const GisFormat* OutputGisFormat(const CliOptions& options, const GisFormat* input,
                                 const std::string& output) {
  const GisFormat* format = !options.gis_output_format.empty()
                                ? GisFormatByName(options.gis_output_format)
                            : output.empty() ? input
                                             : GisFormatOfPath(output);
  return format != nullptr && format->writable ? format : nullptr;
}

std::string FormatList() {
  std::string text = "GIS formats, read and written through GDAL:\n";
  for (const GisFormat& format : GisFormats()) {
    std::string line = "  " + std::string(format.name);
    line.resize(11, ' ');
    line += format.extensions;
    line.resize(27, ' ');
    text += line + std::string(format.description) + "\n";
  }
  text +=
      "Survey formats (the default):\n"
      "  input      oru, dms, xy\n"
      "  output     oru, ascii, kel\n";
  return text;
}

}  // namespace oru
