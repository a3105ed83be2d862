#include "coerce_format.h"

#include <charconv>

namespace automation::coerce {

std::string formatReal(double value, int digits) {
  if (value == 0) return "0";
  // to_chars' general form is printf's %.*g in the C locale, whatever locale
  // the host process has chosen; Automation writes the exponent mark and the
  // names of the non-finite values in capitals.
  char buffer[64];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  std::string text(buffer, error == std::errc() ? end : buffer);
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace automation::coerce
