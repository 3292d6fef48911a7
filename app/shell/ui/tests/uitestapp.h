// What the window tests share: files written byte for byte, and the program
// started on a settings file that registers one book and the KJS Bible.
#pragma once

#include <QDir>
#include <QString>
#include <fstream>
#include <memory>
#include <string>

#include "app/shell/ui/shellapp.h"
#include "platform/profile.h"

namespace uitest {

inline void WriteBytes(const QString& path, const std::string& bytes) {
  std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// KLMW.INI in dir: the book `name` (folder `path`, identity bookId and
// publisherId) as registry book 0 and the KJS Bible written in dir as book 1.
// Returns the file's path, or "" when it could not be written.
inline std::string WriteRegistry(const QString& dir, const std::string& name, const std::string& path, int bookId,
                                 int publisherId) {
  const std::string ini = QDir(dir).filePath(QStringLiteral("KLMW.INI")).toStdString();
  const struct {
    const char *section, *key;
    std::string value;
  } entries[] = {
      {"SOLTDATASETS", "DATASETCOUNT", "1"},
      {"DATASET_1", "BOOKCOUNT", "2"},
      {"BOOK_1_2", "BOOKNAME", "KJS"},
      {"BOOK_1_2", "DEFPATH", QDir(dir).filePath(QStringLiteral("KJS")).toStdString()},
      {"BOOK_1_1", "BOOKNAME", name},
      {"BOOK_1_1", "DEFPATH", path},
      {"BOOK_1_1", "BOOKID", std::to_string(bookId)},
      {"BOOK_1_1", "PUBLISHERID", std::to_string(publisherId)},
  };
  for (const auto& e : entries)
    if (!platform::WritePrivateProfileString(e.section, e.key, e.value.c_str(), ini)) return {};
  return ini;
}

// The program on that settings file, its start-up run at once, without the
// splash or bookcase; null when start-up fails.
inline std::unique_ptr<klmw::CShellApp> StartApp(const std::string& ini) {
  auto app = std::make_unique<klmw::CShellApp>(ini);
  klmw::CStartOptions options;
  options.splash = false;
  options.synchronous = true;
  options.offerBookcase = false;
  if (!app->InitInstance(options)) return nullptr;
  return app;
}

}  // namespace uitest
