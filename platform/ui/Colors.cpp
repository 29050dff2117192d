#include "platform/ui/Colors.h"

#include <array>

namespace tansa2::platform {
namespace {

struct TSystemColor {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// Indexed by the system colour's number; the nearest palette role of each.
constexpr std::array<TSystemColor, 31> kSystemColors = {{
    {QPalette::Active, QPalette::Button},           // 0 scroll bar
    {QPalette::Active, QPalette::Dark},             // 1 desktop
    {QPalette::Active, QPalette::Highlight},        // 2 active caption
    {QPalette::Inactive, QPalette::Highlight},      // 3 inactive caption
    {QPalette::Active, QPalette::Window},           // 4 menu
    {QPalette::Active, QPalette::Base},             // 5 window
    {QPalette::Active, QPalette::Shadow},           // 6 window frame
    {QPalette::Active, QPalette::WindowText},       // 7 menu text
    {QPalette::Active, QPalette::Text},             // 8 window text
    {QPalette::Active, QPalette::HighlightedText},  // 9 caption text
    {QPalette::Active, QPalette::Button},           // 10 active border
    {QPalette::Inactive, QPalette::Button},         // 11 inactive border
    {QPalette::Active, QPalette::Dark},             // 12 application workspace
    {QPalette::Active, QPalette::Highlight},        // 13 highlight
    {QPalette::Active, QPalette::HighlightedText},  // 14 highlight text
    {QPalette::Active, QPalette::Button},           // 15 button face
    {QPalette::Active, QPalette::Mid},              // 16 button shadow
    {QPalette::Disabled, QPalette::Text},           // 17 grey text
    {QPalette::Active, QPalette::ButtonText},       // 18 button text
    {QPalette::Inactive, QPalette::WindowText},     // 19 inactive caption text
    {QPalette::Active, QPalette::Light},            // 20 button highlight
    {QPalette::Active, QPalette::Shadow},           // 21 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},         // 22 3-D light
    {QPalette::Active, QPalette::ToolTipText},      // 23 info text
    {QPalette::Active, QPalette::ToolTipBase},      // 24 info background
    {QPalette::Active, QPalette::Base},             // 25 (unused)
    {QPalette::Active, QPalette::Link},             // 26 hot light
    {QPalette::Active, QPalette::Highlight},        // 27 active caption gradient
    {QPalette::Inactive, QPalette::Highlight},      // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight},        // 29 menu highlight
    {QPalette::Active, QPalette::Window},           // 30 menu bar
}};

constexpr uint32_t kSystemFlag = 0x80000000;

}  // namespace

QColor ToQColor(uint32_t tcolor, const QPalette& palette) {
  if (tcolor == clNone) return QColor(Qt::transparent);
  if (tcolor & kSystemFlag) {
    const uint32_t index = tcolor & ~kSystemFlag;
    if (index >= kSystemColors.size()) return QColor(Qt::black);
    return palette.color(kSystemColors[index].group, kSystemColors[index].role);
  }
  return QColor(static_cast<int>(tcolor & 0xFF), static_cast<int>((tcolor >> 8) & 0xFF),
                static_cast<int>((tcolor >> 16) & 0xFF));
}

}  // namespace tansa2::platform
