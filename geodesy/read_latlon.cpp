#include "geodesy/read_latlon.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>

#include "geodesy/angles.h"
#include "numbertext/c_number_scan.h"
#include "geodesy/detail.h"
#include "geodesy/error_codes.h"

namespace oru {
namespace {

constexpr std::size_t kMaxText = 255;       // characters of `text` that are read
constexpr std::size_t kLastRewritten = 50;  // last index of the rewriting pass
constexpr int kMaxFields = 9;

// One conversion of a scanf-like pattern whose conversions are separated by
// blanks: "%lf", "%d" or " %c".
struct Slot {
  double* f = nullptr;
  std::int32_t* i = nullptr;
  char* c = nullptr;
};
Slot F(double& v) { return Slot{&v, nullptr, nullptr}; }
Slot I(std::int32_t& v) { return Slot{nullptr, &v, nullptr}; }
Slot C(char& v) { return Slot{nullptr, nullptr, &v}; }

// Converts in order until the first conversion that fails, as sscanf does;
// the targets of that and later conversions keep their values.
void Scan(const char* begin, const char* end, std::initializer_list<Slot> slots) {
  cscan::Cursor cur{begin, end};
  for (const Slot& s : slots) {
    bool ok = false;
    if (s.f != nullptr) {
      ok = cscan::Double(cur, *s.f);
    } else if (s.i != nullptr) {
      ok = cscan::Int(cur, *s.i);
    } else {
      cscan::SkipSpace(cur);
      ok = cscan::Char(cur, *s.c);
    }
    if (!ok) return;
  }
}

// One coordinate group while it is being read.
struct Group {
  std::int32_t deg = 0;
  std::int32_t min = 0;
  double sec = 0.0;
  char hemi = '\0';
};

// Decimal minutes to whole minutes and seconds, keeping the sign.
void Split_Minutes(double md, Group& g) {
  double whole = 0.0;
  const double frac = std::modf(md, &whole);
  g.min = detail::To_Int(whole);
  g.sec = frac * 60.0;
}

// Decimal degrees to whole degrees, minutes and seconds, keeping the sign.
void Split_Degrees(double dd, Group& g) {
  double whole = 0.0;
  const double frac = std::modf(dd, &whole);
  g.deg = detail::To_Int(whole);
  Split_Minutes(frac * 60.0, g);
}

// Hemisphere from the sign of the degrees alone; a negative group is made
// positive.
void Sign_To_Letter(Group& g, char positive, char negative) {
  if (g.deg < 0) {
    g.deg = Abs_Int(g.deg);
    g.min = Abs_Int(g.min);
    g.sec = std::fabs(g.sec);
    g.hemi = negative;
  } else {
    g.hemi = positive;
  }
}

// Fields whose first character is tested for a letter, by field count
// (1-based field numbers; 0 = none).
constexpr std::array<std::array<int, 2>, kMaxFields + 1> kTested{{
    {0, 0}, {0, 0}, {2, 0}, {3, 0}, {2, 4}, {3, 5}, {3, 6}, {4, 7}, {4, 8}, {5, 9},
}};

}  // namespace

int Read_LatLon(LatLon& p) {
  // Work on a copy of at most 255 characters.
  std::array<char, kMaxText + 1> buf{};
  const std::size_t len = std::min(std::strlen(p.text.c_str()), kMaxText);
  std::memcpy(buf.data(), p.text.data(), len);

  if (buf[0] == '\n') return kGeodEmptyLine;
  const bool exit_text = std::strcmp(buf.data(), "exit") == 0;

  int blanks = 0;
  for (std::size_t i = 1; i <= kLastRewritten && buf[i] != '\0'; ++i) {
    char& ch = buf[i];
    if (detail::Is_Letter(ch) && detail::Is_Letter(buf[i - 1]) && ch != 'x' && ch != 'X') {
      ch = buf[i - 1];
      buf[i - 1] = ' ';
    }
    if (ch == '\n') {
      ch = '\0';
      break;
    }
    if (ch == ',') ch = ' ';
    if (ch == 'z' || ch == 'Z') ch = 'S';
    if (ch == 'o' || ch == 'O') ch = 'E';
    if (ch == ' ') ++blanks;
  }
  if (exit_text) return kGeodEndOfInput;
  const int n = blanks + 1;
  if (n > kMaxFields) return kGeodTooManyNumbers;

  const char* const begin = buf.data();
  const char* const end = begin + std::strlen(begin);

  // The letter check: the fields as words ("%s" n times).
  std::array<std::string, kMaxFields + 1> field;
  int read = 0;
  {
    cscan::Cursor cur{begin, end};
    for (int k = 1; k <= n && cscan::Word(cur, field[k]); ++k) ++read;
  }
  if (read == 0) return kGeodEmptyLine;
  if (n == 1) return 6;  // a single field: no position
  int letters = 0;
  if (field[n].size() == 1) {
    for (const int k : kTested[n]) {
      if (k != 0 && !field[k].empty() && detail::Is_Letter(field[k][0])) ++letters;
    }
  }
  if (letters == 1 || letters > 2) return kGeodTooManyLetters;
  const bool lettered = letters == 2 || n >= 8;

  // The numbers, by field count and letters.
  double h = 0.0;
  Group g1;
  Group g2;
  double x1 = 0.0;  // decimal degrees or minutes of a group, before splitting
  double x2 = 0.0;
  switch (n) {
    case 9:
      Scan(begin, end, {F(h), I(g1.deg), I(g1.min), F(g1.sec), C(g1.hemi), I(g2.deg), I(g2.min),
                        F(g2.sec), C(g2.hemi)});
      break;
    case 8:
      Scan(begin, end, {I(g1.deg), I(g1.min), F(g1.sec), C(g1.hemi), I(g2.deg), I(g2.min),
                        F(g2.sec), C(g2.hemi)});
      break;
    case 7:
      if (lettered) {
        Scan(begin, end, {F(h), I(g1.deg), F(x1), C(g1.hemi), I(g2.deg), F(x2), C(g2.hemi)});
        Split_Minutes(x1, g1);
        Split_Minutes(x2, g2);
      } else {
        Scan(begin, end, {F(h), I(g1.deg), I(g1.min), F(g1.sec), I(g2.deg), I(g2.min), F(g2.sec)});
      }
      break;
    case 6:
      if (lettered) {
        Scan(begin, end, {I(g1.deg), F(x1), C(g1.hemi), I(g2.deg), F(x2), C(g2.hemi)});
        Split_Minutes(x1, g1);
        Split_Minutes(x2, g2);
      } else {
        Scan(begin, end, {I(g1.deg), I(g1.min), F(g1.sec), I(g2.deg), I(g2.min), F(g2.sec)});
      }
      break;
    case 5:
      if (lettered) {
        Scan(begin, end, {F(h), F(x1), C(g1.hemi), F(x2), C(g2.hemi)});
        Split_Degrees(x1, g1);
        Split_Degrees(x2, g2);
      } else {
        Scan(begin, end, {F(h), I(g1.deg), F(x1), I(g2.deg), F(x2)});
        Split_Minutes(x1, g1);
        Split_Minutes(x2, g2);
      }
      break;
    case 4:
      if (lettered) {
        Scan(begin, end, {F(x1), C(g1.hemi), F(x2), C(g2.hemi)});
        Split_Degrees(x1, g1);
        Split_Degrees(x2, g2);
      } else {
        Scan(begin, end, {I(g1.deg), F(x1), I(g2.deg), F(x2)});
        Split_Minutes(x1, g1);
        Split_Minutes(x2, g2);
      }
      break;
    case 3:
      Scan(begin, end, {F(h), F(x1), F(x2)});
      Split_Degrees(x1, g1);
      Split_Degrees(x2, g2);
      break;
    default:  // 2
      Scan(begin, end, {F(x1), F(x2)});
      Split_Degrees(x1, g1);
      Split_Degrees(x2, g2);
      break;
  }

  if (!lettered) {
    Sign_To_Letter(g1, 'N', 'S');
    Sign_To_Letter(g2, 'E', 'W');
  }
  g1.hemi = detail::Upper(g1.hemi);
  g2.hemi = detail::Upper(g2.hemi);
  if (g1.hemi == 'E' || g1.hemi == 'W') std::swap(g1, g2);
  if ((g1.hemi != 'N' && g1.hemi != 'S') || (g2.hemi != 'E' && g2.hemi != 'W')) {
    return kGeodHemisphere;
  }
  if (g1.deg > 90 || g1.min >= 60 || g1.sec >= 60.0 || g2.deg > 180 || g2.min >= 60 ||
      g2.sec >= 60.0) {
    return kGeodTooManyNumbers;
  }

  p.lat_deg = g1.deg;
  p.lat_min = g1.min;
  p.lat_sec = g1.sec;
  p.lat_hemi = g1.hemi;
  p.lon_deg = g2.deg;
  p.lon_min = g2.min;
  p.lon_sec = g2.sec;
  p.lon_hemi = g2.hemi;
  p.height = h;
  return kGeodOk;
}

}  // namespace oru
