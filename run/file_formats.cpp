#include "run/file_formats.h"

#include <array>
#include <utility>

namespace oru {
namespace {

constexpr std::array<std::pair<std::string_view, InputFormat>, 3> kSurveyInputs{
    {{"oru", InputFormat::OruKvl}, {"dms", InputFormat::AsciiDms}, {"xy", InputFormat::AsciiXY}}};
constexpr std::array<std::pair<std::string_view, OutputFormat>, 3> kSurveyOutputs{
    {{"oru", OutputFormat::OruKvl}, {"ascii", OutputFormat::Ascii}, {"kel", OutputFormat::Kel}}};

std::optional<ReadFormat> Readable(const GisFormat* gis, const NavFormat* nav) {
  if (gis != nullptr) return ReadFormat{std::nullopt, gis, nullptr};
  if (nav != nullptr && nav->readable) return ReadFormat{std::nullopt, nullptr, nav};
  return std::nullopt;
}

std::optional<WriteFormat> Writable(const GisFormat* gis, const NavFormat* nav) {
  if (gis != nullptr && gis->writable) return WriteFormat{std::nullopt, gis, nullptr};
  if (nav != nullptr && !nav->readable) return WriteFormat{std::nullopt, nullptr, nav};
  return std::nullopt;
}

}  // namespace

std::string_view WriteFormat::Extension() const {
  const std::string_view list = gis != nullptr ? gis->extensions
                                : nav != nullptr ? nav->extensions
                                                 : std::string_view();
  return list.substr(0, list.find(' '));
}

std::optional<ReadFormat> ReadFormatNamed(std::string_view name) {
  for (const auto& [survey_name, format] : kSurveyInputs) {
    if (survey_name == name) return ReadFormat{format, nullptr, nullptr};
  }
  return Readable(GisFormatByName(name), NavFormatByName(name));
}

std::optional<WriteFormat> WriteFormatNamed(std::string_view name) {
  for (const auto& [survey_name, format] : kSurveyOutputs) {
    if (survey_name == name) return WriteFormat{format, nullptr, nullptr};
  }
  return Writable(GisFormatByName(name), NavFormatByName(name));
}

std::string_view FormatName(const ReadFormat& format) {
  if (format.gis != nullptr) return format.gis->name;
  if (format.nav != nullptr) return format.nav->name;
  for (const auto& [name, survey] : kSurveyInputs) {
    if (format.survey == survey) return name;
  }
  return {};
}

std::string_view FormatName(const WriteFormat& format) {
  if (format.gis != nullptr) return format.gis->name;
  if (format.nav != nullptr) return format.nav->name;
  for (const auto& [name, survey] : kSurveyOutputs) {
    if (format.survey == survey) return name;
  }
  return {};
}

ExtensionFormat FormatOfExtension(std::string_view path) {
  const GisFormat* gis = GisFormatOfPath(path);
  const NavFormat* nav = NavFormatOfPath(path);
  ExtensionFormat format{Readable(gis, nav), Writable(gis, nav), {}};
  if (gis != nullptr) format.name = gis->name;
  if (nav != nullptr) format.name = nav->name;
  return format;
}

OutputFormat DefaultSurveyOutput(InputFormat input) {
  return input == InputFormat::OruKvl ? OutputFormat::OruKvl : OutputFormat::Ascii;
}

}  // namespace oru
