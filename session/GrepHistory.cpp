#include "session/GrepHistory.h"

#include <charconv>
#include <exception>
#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/FileIO.h"
#include "platform/NameForm.h"
#include "results/QuietAbort.h"

namespace tansa2 {
namespace {

namespace fs = std::filesystem;

// Lines ended by CR LF, LF or CR; a last line without an end counts too.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++pos;
  }
  return lines;
}

std::optional<bool> ParseFlag(std::string_view line) {
  int value = 0;
  const char* end = line.data() + line.size();
  const auto [stop, error] = std::from_chars(line.data(), end, value);
  if (error != std::errc() || stop != end || line.empty()) return std::nullopt;
  return value == 1;
}

void WriteEntryFile(const std::string& fileName,
                    const std::function<void(platform::TAtomicFileWriter& file)>& writeEntry) {
  try {
    platform::TAtomicFileWriter file(fileName);
    writeEntry(file);
    file.Commit();
  } catch (const std::exception&) {
    throw EQuietAbort();
  }
}

void ClearFolder(const fs::path& folder) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return;
  for (const fs::directory_iterator end; it != end; it.increment(error)) {
    const fs::path path = it->path();
    // Asked of the entry itself, never of what a link points to.
    if (fs::symlink_status(path, error).type() == fs::file_type::directory) {
      fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, error);
      ClearFolder(path);
    }
    fs::remove(path, error);
  }
}

}  // namespace

std::string GrepParamFileName(const std::string& tmpDir, int number) {
  return tmpDir + "/GrepParam." + std::to_string(number);
}

std::string GrepResultFileName(const std::string& tmpDir, int number) {
  return tmpDir + "/GrepResult." + std::to_string(number);
}

std::string GrepParamText(const TGrepParam& param) {
  std::string text;
  for (const std::string* line : {&param.GrepStr, &param.GrepDir, &param.FileMask}) text += *line + "\r\n";
  const auto flag = [&](bool value) { text += value ? "1\r\n" : "0\r\n"; };
  flag(param.SubDir);
  text += param.DirMask + "\r\n";
  flag(param.MatchCase);
  flag(param.NoRegExp);
  flag(param.AutoCode);
  return text;
}

std::optional<TGrepParam> ParseGrepParam(std::string_view text) {
  const std::vector<std::string_view> lines = SplitLines(text);
  if (lines.size() < 7) return std::nullopt;
  const std::optional<bool> subDir = ParseFlag(lines[3]);
  const std::optional<bool> matchCase = ParseFlag(lines[5]);
  const std::optional<bool> noRegExp = ParseFlag(lines[6]);
  const std::optional<bool> autoCode = lines.size() > 7 ? ParseFlag(lines[7]) : std::optional(true);
  if (!subDir || !matchCase || !noRegExp || !autoCode) return std::nullopt;
  TGrepParam param;
  param.GrepStr = lines[0];
  param.GrepDir = lines[1];
  param.FileMask = lines[2];
  param.SubDir = *subDir;
  param.DirMask = lines[4];
  param.MatchCase = *matchCase;
  param.NoRegExp = *noRegExp;
  param.AutoCode = *autoCode;
  return param;
}

void StoreHistoryEntry(const std::string& tmpDir, int number, const TGrepParam& param,
                       const TGrepResultRows& rows) {
  WriteEntryFile(GrepParamFileName(tmpDir, number),
                 [&param](platform::TAtomicFileWriter& file) { file.Write(GrepParamText(param)); });
  // Row by row: the whole text of a large result would double the memory
  // the rows take.
  WriteEntryFile(GrepResultFileName(tmpDir, number), [&rows](platform::TAtomicFileWriter& file) {
    rows.ForEachCsvLine([&file](std::string_view line) { file.Write(line); });
  });
}

TGrepParam LoadHistoryParam(const std::string& tmpDir, int number) {
  std::optional<TGrepParam> param;
  try {
    param = ParseGrepParam(platform::ReadWholeFile(GrepParamFileName(tmpDir, number)));
  } catch (const std::exception&) {
  }
  if (!param) throw EQuietAbort();
  return *param;
}

void ClearHistoryFolder(const std::string& folder) { ClearFolder(platform::NativePath(folder)); }

}  // namespace tansa2
