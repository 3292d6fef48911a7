// What the window benchmarks share: the program started on a settings file
// that registers the books given, its messages kept quiet, the main window
// 1920 x 1080 with no window open.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/shellapp.h"
#include "platform/messages.h"

namespace bench {

struct CRegistered {
  std::string name, path;
  int publisher = 0, book = 0;
};

class CBenchApp {
 public:
  // False (and a message on stderr) when the program does not start.
  bool Start(const std::vector<CRegistered>& books) {
    if (!m_home.isValid()) return false;
    const std::string ini = m_home.filePath(QStringLiteral("KLMW.INI")).toStdString();
    {
      std::ofstream out(ini);
      out << "[SOLTDATASETS]\nDATASETCOUNT=1\n[DATASET_1]\nDATASETNAME=Bench\nBOOKCOUNT=" << books.size() << "\n";
      int i = 0;
      for (const CRegistered& b : books) {
        out << "[BOOK_1_" << ++i << "]\nBOOKNAME=" << b.name << "\nDEFPATH=" << b.path << "\n";
        if (b.publisher) out << "PUBLISHERID=" << b.publisher << "\nBOOKID=" << b.book << "\n";
      }
    }
    m_app = std::make_unique<klmw::CShellApp>(ini);
    klmw::CStartOptions options;
    options.splash = false;
    options.synchronous = true;
    options.offerBookcase = false;
    if (!m_app->InitInstance(options)) return false;
    klmw::CMainFrame& frame = *m_app->GetMainFrame();
    frame.resize(1920, 1080);
    frame.show();
    frame.CloseAllChildren();
    QApplication::processEvents();
    return true;
  }
  klmw::CShellApp& App() { return *m_app; }
  klmw::CMainFrame& Frame() { return *m_app->GetMainFrame(); }
  // The settings file's folder, where the program keeps the user's files.
  QString HomePath(const QString& name) const { return m_home.filePath(name); }
  const platform::RecordingMessages& Messages() const { return m_messages; }

 private:
  QTemporaryDir m_home;
  platform::RecordingMessages m_messages;
  platform::ScopedMessages m_quiet{&m_messages};
  std::unique_ptr<klmw::CShellApp> m_app;
};

}  // namespace bench
