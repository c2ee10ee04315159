#include "kestrel/storage/kestrel_exception.h"

#include <cstdio>

namespace kestrel {
namespace {

std::string Pad(std::string text, int width, bool leftAlign) {
  if (width > 0 && static_cast<int>(text.size()) < width) {
    const std::string fill(static_cast<std::size_t>(width) - text.size(), ' ');
    text = leftAlign ? text + fill : fill + text;
  }
  return text;
}

std::string NumberText(int64_t value, char conversion, int precision) {
  char buffer[32];
  if (conversion == 'x') {
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(value));
  } else if (conversion == 'u') {
    std::snprintf(buffer, sizeof buffer, "%llu",
                  static_cast<unsigned long long>(static_cast<uint32_t>(value)));
  } else {
    std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
  }
  std::string digits = buffer;
  const bool negative = !digits.empty() && digits[0] == '-';
  if (negative) {
    digits.erase(0, 1);
  }
  if (precision > 0 && static_cast<int>(digits.size()) < precision) {
    digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
  }
  return negative ? "-" + digits : digits;
}

}  // namespace

bool TryFormatMessage(std::string_view format, std::initializer_list<FormatArg> args,
                      std::string& result) {
  std::string out;
  auto next = args.begin();
  std::size_t pos = 0;
  while (pos < format.size()) {
    const char c = format[pos++];
    if (c != '%') {
      out += c;
      continue;
    }
    if (pos < format.size() && format[pos] == '%') {
      out += '%';
      ++pos;
      continue;
    }
    bool leftAlign = false;
    if (pos < format.size() && format[pos] == '-') {
      leftAlign = true;
      ++pos;
    }
    int width = 0;
    while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
      width = width * 10 + (format[pos++] - '0');
    }
    int precision = -1;
    if (pos < format.size() && format[pos] == '.') {
      ++pos;
      precision = 0;
      while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
        precision = precision * 10 + (format[pos++] - '0');
      }
    }
    if (pos >= format.size() || next == args.end()) {
      return false;
    }
    const char conversion = static_cast<char>(format[pos++] | 0x20);
    const FormatArg& arg = *next++;
    std::string piece;
    if (conversion == 'd' || conversion == 'u' || conversion == 'x') {
      if (!arg.IsNumber()) {
        return false;
      }
      piece = NumberText(arg.Number(), conversion, precision);
    } else if (conversion == 's') {
      if (arg.IsNumber()) {
        return false;
      }
      piece = arg.Text();
      if (precision >= 0 && static_cast<int>(piece.size()) > precision) {
        piece.resize(static_cast<std::size_t>(precision));
      }
    } else {
      return false;
    }
    out += Pad(std::move(piece), width, leftAlign);
  }
  result = std::move(out);
  return true;
}

EKestrelException::EKestrelException(std::string text, std::string message, int nativeError)
    : platform::Exception(message), text_(std::move(text)), nativeError_(nativeError) {}

EKestrelException::EKestrelException(std::string_view text, int nativeError)
    : EKestrelException(std::string(text),
                        std::string(text) + " - Native error: " + NumberText(nativeError, 'd', 5),
                        nativeError) {}

EKestrelException::EKestrelException(std::string_view format, std::initializer_list<FormatArg> args,
                                     int nativeError)
    : EKestrelException(Make(format, args, nativeError)) {}

EKestrelException EKestrelException::Make(std::string_view format,
                                          std::initializer_list<FormatArg> args, int nativeError) {
  std::string text;
  if (!TryFormatMessage(format, args, text)) {
    text = std::string(format) + " Arguments are invalid!";
  }
  std::string message = text + " - Native error: " + Pad(std::to_string(nativeError), 5, false);
  return EKestrelException(std::move(text), std::move(message), nativeError);
}

}  // namespace kestrel
