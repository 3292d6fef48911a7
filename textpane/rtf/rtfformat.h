// The public names of reading and writing: the formats a stream can be in and
// the shape of the callbacks that deliver or take its bytes.
#pragma once

#include <cstdint>

namespace textpane {

using DWORD = uint32_t;
// Wide enough for a pointer, so that a caller can pass its own object as the
// cookie of a callback.
using DWORD_PTR = uintptr_t;

enum FORMAT : int {
  FORMAT_RTF = 0,  // RTF when the data starts with "{\rtf1", else plain text
  FORMAT_TEXT = 1,  // always plain text
  FORMAT_RTF_FROM_LEVEL = 2,  // RTF, dropping everything before the first level
};

// Fills (or takes) up to `size` bytes and stores how many in *count; 0 bytes
// read means the end of the data. The result is not looked at.
typedef DWORD (*RtfCallback)(DWORD_PTR cookie, char* buffer, long size, long* count);

}  // namespace textpane
