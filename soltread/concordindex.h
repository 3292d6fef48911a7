// concord.idx reader (word lists). See concordindex.cpp for the format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "soltread.h"

class cConcordIndex : public cFileBase {
 public:
  static constexpr unsigned kMinHeaderLength = 6;

  int GetLanguageCount() const { return m_languageCount; }
  // Language record `i` (0 <= i < GetLanguageCount()).
  sLanguageRec GetLanguageRecord(int i);

  // W of `language`, after making sure its whole word table lies in this
  // file; a record that does not fit raises the generic file error. An empty
  // list (W = 0) passes whatever its other fields say.
  int CheckWordList(const sLanguageRec& language) const;
  // Word record `i` of `language`; `i` must be below CheckWordList's count.
  sWordListRec GetWordRecord(const sLanguageRec& language, int i);
  std::string GetWordText(const sWordListRec& record);
  // The word's K16 + K32 keys, in stored order.
  void GetKeys(const sWordListRec& record, std::vector<unsigned>& keys);
  // The positions listed for the word's key number `keyIndex`.
  void GetPositions(const sWordListRec& record, int keyIndex, std::vector<uint16_t>& positions);

 protected:
  int LoadHeader() override;
  void UnloadHeader() override;

 private:
  // Seeks to `offset` and reads `length` bytes, after checking they exist.
  void ReadAt(int64_t offset, void* buffer, unsigned length);

  int m_languageCount = 0;
  unsigned m_languageStride = 0;
  int64_t m_languageOffset = 0;
};
