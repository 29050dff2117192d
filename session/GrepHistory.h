#pragma once
// The result history's entries on disk: entry N is GrepParam.N, the search
// fields as eight CR LF lines, and GrepResult.N, the result rows as comma
// text, both in the Tmp folder. Each file is replaced whole, so a crash while
// an entry is written leaves the old file or the new one, never half of it.
#include <optional>
#include <string>
#include <string_view>

#include "results/GrepResultRows.h"
#include "session/GrepRun.h"

namespace tansa2 {

std::string GrepParamFileName(const std::string& tmpDir, int number);
std::string GrepResultFileName(const std::string& tmpDir, int number);

// Search string, directory, file masks, sub-directories, directory masks,
// match case, no regular expression, automatic detection; flags as "1"/"0".
std::string GrepParamText(const TGrepParam& param);
// Seven lines are an entry from before automatic detection could be chosen:
// it was on. Fewer lines, or a flag line that isn't a number, give nothing.
// A flag is set when its number is 1.
std::optional<TGrepParam> ParseGrepParam(std::string_view text);

// Writes entry `number`, replacing files of that name. Throws EQuietAbort
// when a file can't be written.
void StoreHistoryEntry(const std::string& tmpDir, int number, const TGrepParam& param,
                       const TGrepResultRows& rows);
// The parameters of entry `number`; throws EQuietAbort when its parameter
// file is missing, unreadable or damaged.
TGrepParam LoadHistoryParam(const std::string& tmpDir, int number);

// Deletes everything inside `folder` and keeps the folder. A symbolic link
// is removed as a link: what it points to is never touched. Write-protected
// folders inside are opened up first; what still can't be deleted stays.
void ClearHistoryFolder(const std::string& folder);

}  // namespace tansa2
