// Track files use the point as decimal separator whatever the user's
// regional settings: readers and writers give the same under a locale whose
// decimal separator is a comma.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "trackio/track_reader.h"
#include "trackio/track_writer.h"

namespace oru {
namespace {

constexpr const char* kCommaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "nl_NL.UTF-8",
                                         "nl_NL.utf8",  "fr_FR.UTF-8", "fr_FR.utf8"};

// Reads and writes one track of each input format in every output format.
std::string ReadAndWriteEverything() {
  const struct {
    const char* text;
    InputFormat format;
  } inputs[] = {{"52.123456N,  4.567890E\n52.5S,  4.25W\n0.5N, 4.3W\n", InputFormat::OruKvl},
                {"52 7 24.44 4 34 4.40\n-52 -30 -0.5 -4 -15 -59.996\n", InputFormat::AsciiDms},
                {"512.3 97.5\n-1.25e3 .5\n", InputFormat::AsciiXY}};
  std::string all;
  for (const auto& input : inputs) {
    TrackStore store(static_cast<std::size_t>(CountTrackLines(input.text)));
    const ReadOutcome outcome = ReadTrack(input.text, input.format, store);
    all += "points " + std::to_string(outcome.points) + " bad " +
           std::to_string(outcome.bad_line) + "\n";
    std::vector<std::int64_t> selected;
    for (std::int64_t k = 1; k <= outcome.points; ++k) selected.push_back(k);
    for (const OutputFormat out : {OutputFormat::OruKvl, OutputFormat::Ascii, OutputFormat::Kel}) {
      WriteTrack(all, store, selected, input.format, out);
    }
  }
  return all;
}

TEST(CommaDecimalLocale, ReadersAndWritersIgnoreTheLocale) {
  const std::string in_c_locale = ReadAndWriteEverything();
  ASSERT_NE(in_c_locale.find("52.123456N"), std::string::npos);

  const std::string previous = std::setlocale(LC_ALL, nullptr);
  const char* chosen = nullptr;
  for (const char* name : kCommaLocales) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) {
    GTEST_SKIP() << "no comma-decimal locale is installed (apt-get install locales; "
                    "localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
  }
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  const std::string under_comma_locale = ReadAndWriteEverything();
  std::setlocale(LC_ALL, previous.c_str());

  ASSERT_STREQ(probe, "1,5") << chosen << " must use a decimal comma for this test to mean much";
  EXPECT_EQ(under_comma_locale, in_c_locale) << "under " << chosen;
}

}  // namespace
}  // namespace oru
