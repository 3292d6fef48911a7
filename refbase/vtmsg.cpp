#include "refbase/vtmsg.h"

#include <cstdarg>
#include <cstdio>
#include <map>

#include "platform/messages.h"

namespace refbase {

namespace {

const std::map<int, const char*>& Table() {
  static const std::map<int, const char*> table = {
      {100,
       "Memory could not be allocated for internal Bible reference conversion tables.  Bible reference searching "
       "and conversion between translations will be lost."},
      {103, "An unknown exception has occured in the Bible Reference DLL."},
      {104,
       "The Bible Reference Conversion Data file could not be opened.  Bible Reference searches and conversion "
       "between translations will be lost.  The name of the file is %s.  The failure code is %d."},
      {105,
       "A failure occurred attempting to access the Bible Reference Conversion Data file.  Bible Reference "
       "searches and conversion between translations will be lost.  The cause code is %d."},
      {106,
       "While attempting to load the Bible Reference DLL, the conversion data file could not be opened.  The "
       "Bible Reference DLL cannot not be loaded."},
      {107,
       "While attempting to load the Bible Reference DLL,  the conversion data file was found to be corrupt.  The "
       "Bible Reference DLL cannot be loaded."},
      {108,
       "While attempting to load the Bible Reference DLL, there was a failure to access the conversion data "
       "file.  The Bible Reference DLL cannot not be loaded."},
      {109,
       "While attempting to load the Bible Reference DLL, the conversion data file was found to be incompatible "
       "with the DLL.  The Bible Reference DLL cannot not be loaded."},
      {110, "Bible Reference DLL Load Message"},
      {112,
       "An internal check has revealed that memory was not properly allocated for a table while processing a "
       "Bible reference.  The process has not been completed."},
      {113,
       "An unexpected error occured while setting an internal copy of a Bible Reference.  The current process "
       "cannot be completed."},
      {150,
       "The translation data file could not be opened.  This file is required for the Bible reference DLL.  The "
       "DLL cannot be loaded."},
      {151,
       "An error occured attempting to access the Bible translation data file.  This file is required for the "
       "Bible reference DLL.  The DLL cannot be loaded."},
      {152, "Bible Translation Data Load Message"},
      {153,
       "There is not enough memory to load the Bible translation data.  The Bible reference DLL cannot be "
       "loaded."},
      {154,
       "The Bible translation data file is invalid.  This file is required for the Bible reference DLL.  The DLL "
       "cannot be loaded."},
      {155,
       "The Bible translation data file is not compatible with the current version of the Bible reference DLL.  "
       "The DLL cannot be loaded."},
      {156, "An error occured attempting to open the translation specification file."},
      {157, "An error occured attempting to create the translation data file."},
      {158, "Line %d in the translation specification file is invalid.  The line is <%s>."},
      {159,
       "A specification line was read that is too long.  Increase the max length for a line or shorten the "
       "line.  The line number is %d."},
  };
  return table;
}

std::string Format(int id, va_list args) {
  const char* text = MessageText(id);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, text, copy);
  va_end(copy);
  if (n < 0) return text;
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), text, args);
  out.resize(static_cast<size_t>(n));
  return out;
}

}  // namespace

const char* MessageText(int id) {
  auto it = Table().find(id);
  return it == Table().end() ? "" : it->second;
}

std::string FormatMessage(int id, ...) {
  va_list args;
  va_start(args, id);
  std::string out = Format(id, args);
  va_end(args);
  return out;
}

void LoadWarning(int id, int captionId) {
  platform::MessageBox(MessageText(id), platform::MessageButtons::Ok, MessageText(captionId));
}

}  // namespace refbase

void cVTMsg::DisplayMessage(int id, ...) {
  va_list args;
  va_start(args, id);
  std::string text = refbase::Format(id, args);
  va_end(args);
  platform::MessageBox(text);
}
