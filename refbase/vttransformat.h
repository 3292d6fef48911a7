// The fixed parts of VTTRANS.DAT that its reader and its builder share.
#pragma once

namespace refbase::vttrans {

inline constexpr unsigned kHeaderSize = 56;
inline constexpr char kTitle[] = "Vantrel Bible Translation Data File\x1A";
inline constexpr int kVersion = 10;
inline constexpr int kMsgAccessFailed = 151;
inline constexpr int kMsgNoMemory = 153;

}  // namespace refbase::vttrans
