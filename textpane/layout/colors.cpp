#include "textpane/layout/colors.h"

namespace textpane {

RGB Colors::GetColor(int role) const {
  auto it = m_colors.find(role);
  return it != m_colors.end() ? it->second : DefaultColor(role);
}

RGB Colors::DefaultColor(int) const { return m_fallback; }

RGB ScreenColorTable::DefaultColor(int role) const {
  switch (role) {
    case kRoleMarkText: return MakeRGB(255, 255, 255);
    case kRoleMarkBack: return MakeRGB(0, 0, 128);
    case kRoleBackground: return MakeRGB(255, 255, 255);
    case kRoleAutoText: return MakeRGB(0, 0, 0);
    case 0: case 1: case 2: case 3: return MakeRGB(128, 0, 0);
    case 4: return MakeRGB(0, 128, 0);
    default: return Colors::DefaultColor(role);
  }
}

RGB PrinterColorTable::DefaultColor(int role) const {
  switch (role) {
    case kRoleMarkBack:
    case kRoleBackground: return MakeRGB(255, 255, 255);
    default: return MakeRGB(0, 0, 0);
  }
}

Colors& Colors::ScreenColors() {
  static ScreenColorTable table;
  return table;
}

Colors& Colors::PrinterColors() {
  static PrinterColorTable table;
  return table;
}

}  // namespace textpane
