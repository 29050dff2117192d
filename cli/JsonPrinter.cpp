#include "cli/JsonPrinter.h"

#include <cstdio>

#include "platform/CodePage.h"

namespace tansa2::cli {
namespace {

// Well-formed UTF-8: no stray trail bytes, no overlong forms, no surrogates.
bool IsUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char c = bytes[i];
    const int length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > bytes.size()) return false;
    uint32_t code = length == 1 ? c : c & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      const unsigned char trail = bytes[i + k];
      if ((trail & 0xC0) != 0x80) return false;
      code = code << 6 | (trail & 0x3F);
    }
    static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::string Base64(std::string_view bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[(n >> 18) & 63];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

// {"text":...}, or {"bytes":base64} for a name that isn't UTF-8.
std::string JsonData(std::string_view bytes) {
  return IsUtf8(bytes) ? "{\"text\":" + JsonString(bytes) + "}" : "{\"bytes\":\"" + Base64(bytes) + "\"}";
}

std::string Duration(uint64_t nanos) {
  char human[32];
  std::snprintf(human, sizeof human, "%.6fs", static_cast<double>(nanos) / 1e9);
  return "{\"secs\":" + std::to_string(nanos / 1000000000) + ",\"nanos\":" + std::to_string(nanos % 1000000000) +
         ",\"human\":\"" + human + "\"}";
}

}  // namespace

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

void TJsonPrinter::File(const TFileReport& report) {
  const std::string path = "\"path\":" + JsonData(report.path);
  output_.Bytes("{\"type\":\"begin\",\"data\":{" + path + "}}\n");
  for (const TReportLine& line : report.lines) {
    const std::string text = platform::Cp932ToUtf8(line.text);
    std::string submatches;
    for (const TSpan& match : line.matches) {
      const size_t start = platform::Cp932ToUtf8(std::string_view(line.text).substr(0, match.begin)).size();
      const std::string matched = platform::Cp932ToUtf8(std::string_view(line.text).substr(match.begin, match.end - match.begin));
      submatches += (submatches.empty() ? "" : ",") + std::string("{\"match\":") + JsonData(matched) +
                    ",\"start\":" + std::to_string(start) + ",\"end\":" + std::to_string(start + matched.size()) + "}";
    }
    output_.Bytes(std::string("{\"type\":\"") + (line.selected ? "match" : "context") + "\",\"data\":{" + path +
                  ",\"lines\":" + JsonData(text + "\n") + ",\"line_number\":" + std::to_string(line.lineNum) +
                  ",\"absolute_offset\":" + std::to_string(line.offset) + ",\"submatches\":[" + submatches + "]}}\n");
  }
  output_.Bytes("{\"type\":\"end\",\"data\":{" + path + ",\"binary_offset\":null,\"stats\":{\"elapsed\":" +
                Duration(0) + ",\"searches\":1,\"searches_with_match\":1,\"bytes_searched\":" +
                std::to_string(report.bytesSearched) + ",\"bytes_printed\":0,\"matched_lines\":" +
                std::to_string(report.selectedLines) + ",\"matches\":" + std::to_string(report.matches) + "}}}\n");
  output_.Flush();
}

void TJsonPrinter::Finish(const TRunTotals& totals) {
  output_.Bytes("{\"type\":\"summary\",\"data\":{\"elapsed_total\":" + Duration(totals.elapsedNanos) +
                ",\"stats\":{\"elapsed\":" + Duration(totals.elapsedNanos) +
                ",\"searches\":" + std::to_string(totals.searches) +
                ",\"searches_with_match\":" + std::to_string(totals.searchesWithMatch) +
                ",\"bytes_searched\":" + std::to_string(totals.bytesSearched) +
                ",\"bytes_printed\":" + std::to_string(totals.bytesPrinted) +
                ",\"matched_lines\":" + std::to_string(totals.matchedLines) +
                ",\"matches\":" + std::to_string(totals.matches) + "}}}\n");
}

}  // namespace tansa2::cli
