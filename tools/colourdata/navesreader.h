// The verse links of Nave's Topical Bible as our compiled SOLT book holds
// them: each section is one level of its letter's viewable area, and its
// verse links are the type-4 links ("b c:v" or "b c:v-b c:v") in that level.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "textpane/refs/range.h"

namespace colourdata {

// The distinct verse links of each of `levels` in one area's rich text, in
// the order of `levels`; a link split over several runs counts once.
std::vector<std::vector<textpane::Range>> LinksOfLevels(const std::string& rtf, const std::vector<int>& levels);

// The sections of the book in folder `dir` whose names (upper case) are in
// `wanted`, each with its verse links; sections of the same name are joined.
// False with `error` set when the book cannot be read.
bool ReadSections(const std::string& dir, const std::set<std::string>& wanted,
                  std::map<std::string, std::vector<textpane::Range>>& sections, std::string& error);

}  // namespace colourdata
