#include "soltread/booktext.h"

#include <cstring>

#include "platform/coding.h"
#include "soltread/util.h"

std::string cBookText::GetHeaderText() {
  const long at = m_versionRecordSize;
  CheckRange(at, 4);
  unsigned char b[4];
  Seek(at, platform::File::begin);
  Read(b, 4);
  int32_t length = platform::DecodeSigned32(b);
  if (length < 0) solt::ThrowGenericFileError(m_file.GetFilePath());
  CheckRange(at + 4, length);
  std::string text(static_cast<size_t>(length), '\0');
  if (length > 0) Read(text.data(), static_cast<unsigned>(length));
  return text;
}

void cBookText::ValidateArea(const sAreaRecord& record, int compression) const {
  if (record.offset < 0 || record.length < 0) solt::ThrowGenericFileError(m_file.GetFilePath());
  if (compression == 0) {
    CheckRange(record.offset, record.length);
  } else if (compression == 1) {
    if (record.storedLength < 0 ||
        static_cast<uint64_t>(record.length) > solt::LzssMaxDecodedLength(static_cast<uint64_t>(record.storedLength)))
      solt::ThrowGenericFileError(m_file.GetFilePath());
    CheckRange(record.offset, record.storedLength);
  } else {
    solt::ThrowGenericFileError(m_file.GetFilePath());
  }
}

void cBookText::ReadArea(const sAreaRecord& record, int compression, char* out) {
  ValidateArea(record, compression);
  Seek(record.offset, platform::File::begin);
  if (compression == 0) {
    if (record.length > 0) Read(out, static_cast<unsigned>(record.length));
    return;
  }
  const size_t storedLength = static_cast<size_t>(record.storedLength);
  auto stored = std::make_unique_for_overwrite<unsigned char[]>(storedLength ? storedLength : 1);
  if (storedLength) Read(stored.get(), static_cast<unsigned>(storedLength));
  if (!solt::LzssDecodeExact(stored.get(), storedLength, reinterpret_cast<unsigned char*>(out),
                             static_cast<size_t>(record.length)))
    solt::ThrowGenericFileError(m_file.GetFilePath());
}

void cBookText::LoadHeaderArea(cViewableIndex& index) {
  if (m_headerLoaded) return;
  if (!index.IsValidKey(0)) solt::ThrowGenericFileError(m_file.GetFilePath());
  sAreaRecord record = index.GetAreaRecord(0);
  // Checked before the allocation, so a corrupt length cannot ask for gigabytes.
  ValidateArea(record, index.GetCompressionType());
  std::vector<char> area;
  area.resize(static_cast<size_t>(record.length));
  ReadArea(record, index.GetCompressionType(), area.data());
  m_headerArea = std::move(area);
  m_headerLoaded = true;
}

void cBookText::ReadCompressedRange(int key, const sAreaRecord& record, unsigned long from,
                                    unsigned long count, char* out) {
  // Starting over is what a first chunk does; it is also the safe answer when
  // another reader of this file set moved the decoder somewhere else.
  if (!m_chunk || m_chunk->key != key || m_chunk->decoder.GetProduced() > from) {
    ValidateArea(record, 1);
    if (!m_chunk) m_chunk = std::make_unique<sChunkState>();
    m_chunk->key = key;
    m_chunk->inputPos = record.offset;
    m_chunk->inputEnd = static_cast<int64_t>(record.offset) + record.storedLength;
    m_chunk->bufBegin = m_chunk->bufEnd = 0;
    m_chunk->decoder.Reset();
  }
  sChunkState& st = *m_chunk;
  auto* dst = reinterpret_cast<unsigned char*>(out);

  // Decodes up to `want` bytes into `into`; 0 only when the input is used up.
  auto decode = [&](unsigned char* into, size_t want) -> size_t {
    size_t done = 0;
    while (done < want) {
      if (st.bufBegin == st.bufEnd && !st.decoder.HasPendingOutput()) {
        int64_t left = st.inputEnd - st.inputPos;
        if (left <= 0) break;
        size_t take = left < static_cast<int64_t>(sizeof st.input) ? static_cast<size_t>(left) : sizeof st.input;
        Seek(static_cast<long>(st.inputPos), platform::File::begin);
        Read(st.input, static_cast<unsigned>(take));
        st.inputPos += static_cast<int64_t>(take);
        st.bufBegin = 0;
        st.bufEnd = take;
      }
      const unsigned char* in = st.input + st.bufBegin;
      done += st.decoder.Decode(in, st.input + st.bufEnd, into + done, want - done);
      st.bufBegin = static_cast<size_t>(in - st.input);
      if (st.bufBegin == st.bufEnd && st.inputPos >= st.inputEnd && done < want && !st.decoder.HasPendingOutput())
        break;  // the stored bytes are used up
    }
    return done;
  };

  // Skip forward to `from` when the decode stopped earlier.
  unsigned char skip[4096];
  while (st.decoder.GetProduced() < from) {
    uint64_t gap = from - st.decoder.GetProduced();
    size_t want = gap < sizeof skip ? static_cast<size_t>(gap) : sizeof skip;
    if (decode(skip, want) == 0) break;
  }
  size_t produced = st.decoder.GetProduced() == from ? decode(dst, count) : 0;
  if (produced != count) {
    // The stored bytes ran out before the recorded length: a corrupt area.
    m_chunk.reset();
    solt::ThrowGenericFileError(m_file.GetFilePath());
  }
  if (from + count >= static_cast<unsigned long>(record.length)) {
    // The last bytes: a stream with more to give is as corrupt as a short one.
    unsigned char spare;
    bool longer = decode(&spare, 1) != 0;
    m_chunk.reset();
    if (longer) solt::ThrowGenericFileError(m_file.GetFilePath());
  }
}
