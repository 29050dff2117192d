#pragma once
// The settings the main window holds between reading and writing the
// settings file, in the groups the preferences dialog edits.
#include <cstdint>
#include <string>

namespace tansa2 {

// A font as the settings file keeps it; the size is in points.
struct TFontInfo {
  std::string Name;
  int Size = 9;
  uint32_t Color = 0x80000008;  // clWindowText
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
};

struct TBasicInfo {
  TFontInfo Font;
  int32_t ShowInProgress = 1;  // 1: running hit count, 2: file just searched
  bool ShowToolBar = true;
  bool ShowDirPanel = true;
};

struct TDirPanelInfo {
  TFontInfo Font;
  std::string InitialDir;
};

struct TGrepInfo {
  bool AutoComplete = false;
  int32_t MaxHistory = 32;
  // The four field histories as comma text, only between reading and
  // applying; while the window runs they live in the fields.
  std::string String, Directory, FileMask, DirectoryMask;
  bool LastString = false;
  bool LastDirectory = false;
  bool LastFileMask = false;
  bool LastDirectoryMask = false;
  std::string NoFileExt;  // as the user typed it
  int32_t MaxFileSize = 10;  // MB
};

// The result list's look and options as the preferences dialog edits
// them; outside the dialog they live in the list itself.
struct TGrepResultInfo {
  TFontInfo Font;
  uint32_t Color = 0x80000005;         // clWindow
  uint32_t SelColor = 0x8000000E;      // clHighlightText
  uint32_t SelBkColor = 0x8000000D;    // clHighlight
  uint32_t MatchColor = 0x00FF0000;    // clBlue
  uint32_t MatchBkColor = 0x0000FFFF;  // clYellow
  bool DoubleBuffered = false;
  bool ShowFileNameOnly = false;
  bool ShowGridLine = false;
  int32_t WheelScrollLine = 100;
  bool RightClickSelect = true;
  bool HorizontalScroll = false;
  int32_t SaveType = 1;  // 0 comma-separated rows, 1 tag-jump lines, 2 the lines alone
};

struct TGrepHistoryInfo {
  bool Used = true;
  int32_t First = 0;
  int32_t Last = 0;
  int32_t Current = 0;  // the entry on show; not stored
};

struct TEditorInfo {
  std::string ExeName;
  std::string CmdLine;
  std::string HistExeName;  // comma text
  std::string HistCmdLine;  // comma text
};

}  // namespace tansa2
