// The writer of REFBASE.DAT and the reader of its text source.
//
// Source lines (blank-separated words; '#' starts a comment):
//   book N                  starts book N; books come in increasing order and
//                           the numbers skipped get records with no chapters
//   verses V1 V2 ...        appends chapters labelled by their IDs, with V1, V2 ...
//                           verses
//   chapter LABEL V         appends one chapter labelled LABEL with V verses
//   label C V LABEL         verse V of chapter ID C is labelled LABEL
//   alias C V B:C:V ...     aliases of verse V of chapter ID C, in order
//   near C V B:C:V ...      near aliases of that verse, in order
// Labels hold 1-7 characters. A book (chapter) whose labels are all its IDs in
// decimal gets labels that are plain numbers; otherwise they are looked up as
// text. A chapter gets verse records only where it has a verse label that is
// not its ID, or an alias.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace refbase {

struct RefbaseAlias {
  uint16_t book = 0, chapter = 0, verse = 0;
};

struct RefbaseVerse {
  std::string label;  // empty: the verse ID in decimal
  std::vector<RefbaseAlias> aliases;
  std::vector<RefbaseAlias> nearAliases;
};

struct RefbaseChapter {
  std::string label;  // empty: the chapter ID in decimal
  uint16_t verseCount = 0;
  // Empty, or one entry per verse; the builder fills it when a verse needs it.
  std::vector<RefbaseVerse> verses;
};

struct RefbaseBook {
  std::vector<RefbaseChapter> chapters;
};

// books[n-1] is book n.
struct RefbaseSource {
  std::vector<RefbaseBook> books;
};

// Reads the source text. On a bad line returns false and sets *error to
// "line N: what is wrong".
bool ParseRefbaseSource(const std::string& text, RefbaseSource* source, std::string* error);

// The bytes of REFBASE.DAT for a source; an impossible source (more than
// 65,535 chapters, labels too long) gives false and *error.
bool EncodeRefbase(const RefbaseSource& source, std::string* bytes, std::string* error);

// Reads `sourcePath` and writes `outPath` through a temporary file, so a
// failed build never leaves half a file behind.
bool BuildRefbaseFile(const std::string& sourcePath, const std::string& outPath, std::string* error);

}  // namespace refbase
