// VTTRANS.DAT made of arbitrary bytes, loaded by the reference library and
// asked about every translation it holds.
//
// Input: the whole of VTTRANS.DAT.
//
// A corrupt file may be refused (with its message); what must not happen is
// a crash, a read outside a record or a name, an allocation the file's length
// does not justify, a position past the record's 256 places, a range that
// never ends, or names that do not enumerate to the header's count.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzzsupport.h"
#include "refbase.h"
#include "refbase/datafiles.h"

namespace {

using fuzz::Check;

void AskAbout(unsigned short id) {
  cTranslation t(id);
  Check(t.GetTranslationID() == id, "a loaded translation could not be chosen");
  const char* name = t.GetTranslationName();
  Check(name != nullptr && std::strlen(name) <= 9, "a name runs past its ten bytes");
  const unsigned short found = cTranslation::GetTranslationIDFromName(name);
  Check(found >= 1 && found <= id, "a translation's own name does not find it or an earlier one");

  unsigned short first = 0, last = 0, firstPosition = 0xFFFF, lastPosition = 0;
  for (unsigned book = 0; book <= 300; ++book) {
    const unsigned short position = t.IsBookValid(static_cast<unsigned short>(book));
    Check(position <= 256, "a position past the record");
    Check(position == 0 || position == t.GetBookPosition(static_cast<unsigned short>(book)),
          "IsBookValid and GetBookPosition disagree");
    if (position && position < firstPosition) firstPosition = position, first = static_cast<unsigned short>(book);
    if (position && position > lastPosition) lastPosition = position, last = static_cast<unsigned short>(book);
    t.GetBookPosition(static_cast<unsigned short>(book));
    cTranslation::GetBookPositionForTranslation(id, static_cast<unsigned short>(book));
  }
  t.IsBookValid(65535);
  const int forward = t.BookCompare(first, last), backward = t.BookCompare(last, first);
  Check(forward == -backward, "BookCompare is not symmetric");

  for (auto [a, b] : {std::pair{first, last}, std::pair{last, first}, std::pair{first, first},
                      std::pair<unsigned short, unsigned short>{1, 66}}) {
    if (t.SetBookRange(a, b) != 0) continue;
    int steps = 0;
    while (t.GetNextBookInRange() != 0 && ++steps <= 256) {
    }
    Check(steps <= 256, "a range longer than a record");
    for (int i = 0; i < 260; ++i) t.GetNextBookInRange();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietMessages();
  const std::string& dir = fuzz::ScratchDir();
  fuzz::WriteFile(dir + "VTTRANS.DAT", data, size);

  while (cTranslation::m_translation_data_in_use > 0) cTranslation::ReleaseTranslationData();
  refbase::SetDataDirectory(dir);
  if (cTranslation::InitializeTranslationData() == 0) {
    const unsigned count = cTranslation::m_number_of_translations;
    Check(uint64_t{count} * 1026 <= size, "more translations than the file can hold");
    for (unsigned id = 1; id <= count; ++id) AskAbout(static_cast<unsigned short>(id));
    if (count < 65535)
      Check(cTranslation(static_cast<unsigned short>(count + 1)).GetTranslationID() == 0, "a translation past the count");

    cTranslation names;
    unsigned short id = 0, seen = 0;
    for (const char* n = names.GetFirstTranslationName(&id); n; n = names.GetNextTranslationName(&id)) {
      Check(id == ++seen, "names out of ID order");
      Check(seen <= count, "more names than translations");
    }
    Check(seen == count, "fewer names than translations");
    cTranslation::ReleaseTranslationData();
  } else {
    Check(cTranslation::m_translation_table == nullptr && cTranslation::m_translation_name_table == nullptr,
          "a refused file left its tables");
  }
  Check(cTranslation::m_translation_data_in_use == 0, "the use count is off");
  return 0;
}
