#include "cli/format_choice.h"

namespace oru {
namespace {

BatchFormat ByName(const std::string& name) {
  return {GisFormatByName(name), NavFormatByName(name)};
}

BatchFormat OfPath(const std::string& path) {
  return {GisFormatOfPath(path), NavFormatOfPath(path)};
}

bool Readable(const BatchFormat& f) { return f.gis != nullptr || (f.nav && f.nav->readable); }
bool Writable(const BatchFormat& f) {
  return (f.gis != nullptr && f.gis->writable) || (f.nav != nullptr && !f.nav->readable);
}

std::string ListLine(std::string_view name, std::string_view extensions,
                     std::string_view description) {
  std::string line = "  " + std::string(name);
  line.resize(11, ' ');
  line += extensions;
  line.resize(27, ' ');
  return line + std::string(description) + "\n";
}

}  // namespace

std::string_view BatchFormat::Extension() const {
  const std::string_view list = gis != nullptr ? gis->extensions : nav->extensions;
  return list.substr(0, list.find(' '));
}

bool IsBatchCommand(const CliOptions& options) {
  if (!options.output_dir.empty() || !options.batch_input_format.empty() ||
      !options.batch_output_format.empty()) {
    return true;
  }
  // A survey format named, or an input without a GIS or navigation
  // extension, keeps the survey run, whatever the output is called.
  return !options.survey_format_named && Readable(OfPath(options.request.input.string()));
}

BatchFormat InputBatchFormat(const CliOptions& options, const std::string& path) {
  const BatchFormat format = !options.batch_input_format.empty()
                                 ? ByName(options.batch_input_format)
                                 : OfPath(path);
  return Readable(format) ? format : BatchFormat{};
}

BatchFormat OutputBatchFormat(const CliOptions& options, BatchFormat input,
                              const std::string& output) {
  const BatchFormat format = !options.batch_output_format.empty()
                                 ? ByName(options.batch_output_format)
                             : output.empty() ? input
                                              : OfPath(output);
  return Writable(format) ? format : BatchFormat{};
}

std::string FormatList() {
  std::string text = "GIS formats, read and written through GDAL:\n";
  for (const GisFormat& format : GisFormats()) {
    text += ListLine(format.name, format.extensions, format.description);
  }
  text += "Navigation formats:\n";
  for (const NavFormat& format : NavFormats()) {
    text += ListLine(format.name, format.extensions, format.description);
  }
  text +=
      "Survey formats (the default):\n"
      "  input      oru, dms, xy\n"
      "  output     oru, ascii, kel\n";
  return text;
}

}  // namespace oru
