#include "check/report/html/html_text.h"

#include "check/report/utf8.h"

namespace pomvarin::check {

std::string Html(const std::string& text) {
  std::string html;
  html.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '&': html += "&amp;"; continue;
      case '<': html += "&lt;"; continue;
      case '>': html += "&gt;"; continue;
      case '"': html += "&quot;"; continue;
      case '\'': html += "&#39;"; continue;
      case '\t': case '\n': case '\r': html += static_cast<char>(c); continue;
    }
    if (c < 0x20 || c == 0x7F) {
      html += "\xEF\xBF\xBD";
    } else if (c < 0x80) {
      html += static_cast<char>(c);
    } else if (const std::size_t length = Utf8SequenceLength(text, i)) {
      html.append(text, i, length);
      i += length - 1;
    } else {
      html += ByteAsCharacter(c);
    }
  }
  return html;
}

namespace {

std::string TwoDigits(std::int64_t value) {
  return (value < 10 ? "0" : "") + std::to_string(value);
}

}  // namespace

std::string UtcTimeText(std::int64_t seconds) {
  // Days since 1970 to a civil date (the proleptic Gregorian calendar), by
  // eras of 400 years.
  std::int64_t days = seconds / 86400, second = seconds % 86400;
  if (second < 0) {
    second += 86400;
    --days;
  }
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear =
      dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const std::int64_t day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
  const std::int64_t month =
      monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return std::to_string(year) + "-" + TwoDigits(month) + "-" +
         TwoDigits(day) + " " + TwoDigits(second / 3600) + ":" +
         TwoDigits(second % 3600 / 60) + " UTC";
}

}  // namespace pomvarin::check
