// Reading Bible references written in text: "Gen. 1:1-3; 2:4, 6",
// "cf. vv. 16-18", "1 Cor 13", "Jude 5", "Ps 23 (KJV)". A reader keeps the
// last reference it read as the context of the next one, so "v. 16" after
// "John 3:1" is John 3:16, across calls until ResetContext.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "textpane/refs/range.h"
#include "textpane/refs/reftokens.h"

namespace textpane {

struct RefReadOptions {
  // '.' separates chapter and verse ("Rom 8.28"), book names are matched
  // without regard to letter case, and the words that only look like books
  // ("John the Baptist") are not set apart.
  bool period = false;
  // A book name abbreviated without a period, standing alone ("Gn"), is a
  // reference to the whole book.
  bool loneBook = false;
  // A blank between two numbers separates chapter and verse ("jn 3 16").
  bool blankSeparator = false;
  // The translation a range is resolved in first; others are tried in turn
  // when it fails (0: only those). A translation named after the references
  // takes its place.
  uint16_t translation = 0;
};

class CReferenceReader {
 public:
  explicit CReferenceReader(RefReadOptions options);

  // Every reference in a paragraph's text, the words between them passed
  // over: one resolved range each, text positions counted from `offset`.
  // Returns how many were added.
  size_t FindReferences(std::string_view text, std::vector<Range>& ranges, size_t offset = 0);
  // The text as nothing but references (blanks and conjunctions between
  // them). False, with the position of the first word that is no reference
  // (or does not resolve), when it is not; the ranges then hold what was
  // read before it.
  bool ReadReferences(std::string_view text, std::vector<Range>& ranges, size_t& errorPosition);

  // Where FindReferences first began to read a reference and failed,
  // counted as its positions are; SIZE_MAX when it never did.
  size_t FirstFailure() const { return m_firstFailure; }
  void ResetContext() { m_context.Clear(); }
  // Starts from a place: "3:16" then names a verse of its book.
  void SetContext(const Reference& context) { m_context = context; }
  const Reference& Context() const { return m_context; }

 private:
  friend class RefGrammar;
  RefReadOptions m_options;
  RefTokenOptions m_tokenOptions;
  std::vector<uint16_t> m_translationIds;  // beside m_tokenOptions.translations
  Reference m_context;
  size_t m_firstFailure = SIZE_MAX;
  std::vector<RefTokenInfo> m_tokens;
};

}  // namespace textpane
