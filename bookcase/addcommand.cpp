#include "bookcase/addcommand.h"

#include <fstream>

#include "bookcase/bookcaselogic.h"

namespace bookcase {

int RunAddCommand(const std::string& description, const std::string& folder, std::ostream& out,
                  std::ostream& err, platform::Volumes* volumes) {
  // The profile functions read a missing file as an empty one; say so
  // instead of reporting a description without a name.
  if (!std::ifstream(description)) {
    err << "bookcase: cannot read " << description << "\n";
    return 1;
  }
  CBookCase bookCase(folder, volumes);
  CAddResult result = bookCase.AddDescription(description);
  const char* what = nullptr;
  switch (result.m_status) {
    case AddStatus::Added:
      what = "added";
      break;
    case AddStatus::Extended:
      what = "extended";
      break;
    case AddStatus::AlreadyRegistered:
      what = "already registered";
      break;
    case AddStatus::NoDataSetName:
      err << "bookcase: " << description << ": no DataSetName in [Publisher Data]; nothing added\n";
      return 1;
    case AddStatus::NoBooks:
      err << "bookcase: " << description << ": [Book 1] has no nonzero BookID; nothing added\n";
      return 1;
    case AddStatus::Different:
      err << "bookcase: " << description << ": data set \"" << result.m_dataSetName << "\" is registered as "
          << DataSetSection(result.m_dataSet) << ", which is not the last data set; nothing added\n";
      return 1;
    case AddStatus::WriteFailed:
      err << "bookcase: cannot write " << bookCase.GetSettingsFile() << "\n";
      return 1;
  }
  out << DataSetSection(result.m_dataSet) << '\t' << result.m_dataSetName << '\t' << what << '\n';
  for (const CAddedBook& book : result.m_books)
    out << book.m_section << '\t' << book.m_name << '\t' << book.m_defPath << '\n';
  return out ? 0 : 1;
}

}  // namespace bookcase
