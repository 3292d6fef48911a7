// The study aids of Bible windows: bookmarks with their notes, verses
// tagged for printing, footnotes and maps. Each command works on the active
// Bible window's top verse; on a book window it says it is for Bible text.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/studyaids/footnotes.h"
#include "app/studyaids/versefiles.h"

class QDialog;
class QPrinter;

namespace klmw {

class CBibleModule;
class CChildFrame;
class CPlaceDocument;
class CShellApp;

class CStudyAidCommands : public QObject {
  Q_OBJECT

 public:
  // userDir: where the user's lists and notes live (beside the settings
  // file), ending in '/'.
  CStudyAidCommands(CShellApp& app, std::string userDir);
  ~CStudyAidCommands() override;

  void OnBookmarkVerse();
  void OnGotoBookmark();
  void OnDeleteBookmark();
  void OnTagVerse();
  void OnDeleteTagged();
  void OnPrintTagged();
  void OnShowFootnotes();
  void OnMap();
  void OnMapsMenu();

  // The paths of the two lists and the notes table.
  std::string BookmarksPath() const { return m_userDir + kBookmarksFile; }
  std::string TaggedPath() const { return m_userDir + kTaggedVersesFile; }
  std::string NotesPath() const;
  // The dialog a command has open (for the tests), or null.
  QDialog* OpenDialog() const { return m_dialog; }

  // Opens an entry's verse in the reference window (KJS numbering); false
  // (the user told) when it names no verse.
  bool OpenEntry(const CVerseEntry& entry);
  // The tagged verses printed, or saved as text; all or only `only`.
  bool PrintTagged(QPrinter& printer, int only = -1);
  bool SaveTagged(const std::string& path, int only = -1);
  // The map of the active Bible window's top verse opened; false without one.
  bool OpenMap(int entry);
  // The footnotes of a Bible (FOOTNTE.DAT for KJS, CODE-FOOTNTE.DAT for
  // the others; none when a Bible has no file of its own) and the maps of
  // the Bible data folder, read on first use.
  const CFootnotes& Footnotes(const std::string& code = "KJS");
  const CMapList& Maps();

 private:
  // The active Bible window's document and Bible, or null (and the message
  // said when refuse is given).
  CPlaceDocument* ActiveBible(const CBibleModule** bible, const char* refuse);
  bool AddTopVerse(const std::string& path, const char* refuse);
  // The Bible data folder (the KJS Bible's, else the first Bible's), with '/'.
  std::string DataDir();
  void Update();
  std::string VerseText(int index);

  CShellApp& m_app;
  std::string m_userDir;
  bool m_mapsRead = false;
  std::map<std::string, CFootnotes> m_footnotes;
  CMapList m_maps;
  std::string m_mapsLocation;
  QPointer<QDialog> m_dialog;
  // A QObject: the window may be half destroyed when it is compared.
  QPointer<QObject> m_watched;
  QMetaObject::Connection m_moved;
};

}  // namespace klmw
