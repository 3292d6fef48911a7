// book.dat: the version record, the header text, then the areas' bytes at
// the offsets viewable.idx gives.
//
//   offset    width  meaning
//   0         N0     version record
//   N0        4      header text length T (signed)
//   N0+4      T      header text: brace groups "{\word:data}"
//   ...              area bytes, stored or LZSS-compressed
//
// The header area (area 0) is decoded once per file set and kept, because
// every area handed out is preceded by it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "soltread.h"
#include "soltread/lzss.h"
#include "soltread/viewableindex.h"

class cBookText : public cFileBase {
 public:
  std::string GetHeaderText();

  bool HasHeaderArea() const { return m_headerLoaded; }
  const std::vector<char>& GetHeaderArea() const { return m_headerArea; }
  // Decodes area 0 through the index; raises a file error when it cannot.
  void LoadHeaderArea(cViewableIndex& index);

  // Checks an area record against this file and the compression type and
  // raises a file error for one that cannot be right.
  void ValidateArea(const sAreaRecord& record, int compression) const;
  // Reads and decodes a whole area into out (record.length bytes).
  void ReadArea(const sAreaRecord& record, int compression, char* out);

  // Chunked decoding of a compressed area: bytes [from, from + count) of the
  // area's decoded text, continuing the decode in progress when it stopped
  // exactly at `from`, else starting it over.
  void ReadCompressedRange(int key, const sAreaRecord& record, unsigned long from, unsigned long count,
                           char* out);
  void ReleaseChunkState() { m_chunk.reset(); }
  bool HasChunkState() const { return m_chunk != nullptr; }

 protected:
  void UnloadHeader() override { m_chunk.reset(); }

 private:
  struct sChunkState {
    int key = -1;
    int64_t inputPos = 0;   // next stored byte to read from the file
    int64_t inputEnd = 0;   // one past the area's last stored byte
    size_t bufBegin = 0, bufEnd = 0;
    unsigned char input[65536];
    solt::cLzssDecoder decoder;
  };

  bool m_headerLoaded = false;
  std::vector<char> m_headerArea;
  std::unique_ptr<sChunkState> m_chunk;
};
