// The library's error codes and texts, and the checks that a book's medium
// is present before its files are opened.
#include "platform/messages.h"
#include "platform/volumes.h"
#include "soltread.h"
#include "soltread/util.h"

namespace {
const char* const kErrorTexts[] = {
    "No errors occurred.",
    "An unspecified error occurred.",
    "The file could not be located.",
    "All or part of the path is invalid.",
    "The permitted number of open files was exceeded.",
    "The file could not be accessed.",
    "The was an attempt to use an invalid file handle.",
    "The current working directory cannot be removed.",
    "There are no more directory entries.",
    "There was an error trying to set the file pointer.",
    "There was a hardware error.",
    "SHARE.EXE was not loaded, or a shared region was locked.",
    "There was an attempt to lock a region that was already locked.",
    "The disk is full.",
    "The end of file was reached.",
    "Publisher ID and/or the Book ID mismatch error.",
    "Least Compatible SOLT Version error.",
    "The file was already open.",
    "Failed to load the book header area.",
    "The user selected CANCEL when prompt to insert a disk.",
};
constexpr int kErrorCount = sizeof kErrorTexts / sizeof kErrorTexts[0];
}  // namespace

std::string cSOLTBook::GetErrorString(int code) {
  if (code < 0 || code >= kErrorCount) return "File error occurred.";
  return kErrorTexts[code];
}

int cSOLTBook::ConvertCauseToErrorCode(int cause) { return cause >= 2 && cause <= 14 ? cause : 1; }

int cSOLTBook::IsMediaAvailable(const char* path) {
  std::string file = path ? path : "";
  size_t slash = file.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
  const bool inDefault = solt::EqualsNoCase(folder, m_defPath);
  const std::string mediaType = inDefault ? m_defMediaType : m_regMediaType;
  const std::string volumeID = inDefault ? m_defVolumeID : m_regVolumeID;
  if (solt::EqualsNoCase(mediaType, "FIXED")) return 1;
  for (;;) {
    if (VerifyVolume(file.c_str(), volumeID)) return 1;
    if (m_pEvents) {
      if (m_pEvents->PromptForDisk(file.c_str(), *this) == 0) return 0;
    } else {
      std::string text = solt::Format("Please insert the disk with:\n\nVolume Label: %s\nBook: %s\nFile: %s",
                                       volumeID.c_str(), m_bookName.c_str(), file.c_str());
      if (platform::MessageBox(text, platform::MessageButtons::OkCancel) != platform::IDOK) return 0;
    }
  }
}

int cSOLTBook::VerifyVolume(const char* path, std::string volumeID) {
  std::string label;
  if (!platform::GetVolumes().GetVolumeLabel(path ? path : "", label)) return 0;
  // An unlabelled volume matches any ID; a longer ID matches on its start.
  if (volumeID.size() < label.size()) return 0;
  return solt::EqualsNoCase(std::string_view(volumeID).substr(0, label.size()), label) ? 1 : 0;
}
