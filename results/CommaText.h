#pragma once
// Comma text: a list of strings in one line. Items are joined by commas; an
// item holding a byte 0x01-0x20, a double quote or a comma is quoted with its
// inner quotes doubled. On reading, an unquoted blank also ends an item.
// A 0x00 byte ends an item when writing and the whole text when reading.
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tansa2 {

std::string ToCommaText(const std::vector<std::string>& items);
// Appends the comma text of `items` to `text`.
void AppendCommaText(std::string& text, std::span<const std::string_view> items);
std::vector<std::string> FromCommaText(std::string_view text);

}  // namespace tansa2
