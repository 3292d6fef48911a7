// Colours by role: a window draws its text, links, search marks and
// background through one of these tables, so the screen and the printer
// (and a dark desktop theme) can differ without the layout knowing.
//
// Roles: -4 text of marked characters, -3 their background, -2 the window
// and page background, -1 text whose colour is automatic, 0-4 link text of
// link types 0-4; any other role falls back to the table's default.
#pragma once

#include <map>

#include "textpane/layout/surface.h"

namespace textpane {

enum ColorRole : int {
  kRoleMarkText = -4,
  kRoleMarkBack = -3,
  kRoleBackground = -2,
  kRoleAutoText = -1,
};

class Colors {
 public:
  explicit Colors(RGB fallback = 0) : m_fallback(fallback) {}
  virtual ~Colors() = default;

  RGB GetColor(int role) const;
  void SetColor(int role, RGB rgb) { m_colors[role] = rgb; }
  void UseDefault(int role) { m_colors.erase(role); }

  // The value of a role nobody set.
  virtual RGB DefaultColor(int role) const;
  void SetFallback(RGB rgb) { m_fallback = rgb; }

  static Colors& ScreenColors();
  static Colors& PrinterColors();

 private:
  std::map<int, RGB> m_colors;
  RGB m_fallback;  // the window-text colour on screen, black on paper
};

// The stock table of the screen (white page, dark red and green links) and of
// the printer (black on white).
class ScreenColorTable : public Colors {
 public:
  ScreenColorTable() : Colors(MakeRGB(0, 0, 0)) {}
  RGB DefaultColor(int role) const override;
};

class PrinterColorTable : public Colors {
 public:
  PrinterColorTable() : Colors(MakeRGB(0, 0, 0)) {}
  RGB DefaultColor(int role) const override;
};

}  // namespace textpane
