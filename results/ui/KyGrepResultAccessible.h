#pragma once
// The result list as assistive technology sees it: a table whose children are
// the header's cells followed by the data rows' cells, row by row.

namespace tansa2 {

// Makes Qt build the list's interface; safe to call any number of times.
void InstallGrepResultAccessibility();

// The child number of a cell; row -1 is the header.
constexpr int GrepResultCellChild(int row, int col) { return (row + 1) * 3 + col; }

}  // namespace tansa2
