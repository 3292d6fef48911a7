// The command line and what a document named on it opens.
#include "app/shell/commandline.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/shell/tests/shelltest.h"

namespace {

using klmw::CCommandLine;
using klmw::CDocumentRequest;
using shelltest::TempDir;

CCommandLine Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "klmw");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  return klmw::ParseCommandLine(static_cast<int>(args.size()), argv.data());
}

TEST(CommandLineTest, OptionsAndDocuments) {
  using Docs = std::vector<std::string>;
  const struct {
    std::vector<std::string> args;
    Docs documents;
    std::string screenshot;
    bool splash, help;
    size_t problems;
  } cases[] = {
      {{}, {}, "", true, false, 0},
      {{"map.png"}, {"map.png"}, "", true, false, 0},
      {{"--nosplash", "a.bmp", "Book# 2 31000"}, {"a.bmp", "Book# 2 31000"}, "", false, false, 0},
      {{"--screenshot", "shot.png", "map.png"}, {"map.png"}, "shot.png", true, false, 0},
      {{"--screenshot=shot.png"}, {}, "shot.png", true, false, 0},
      // After "--" options are file names.
      {{"--", "--nosplash", "-h"}, {"--nosplash", "-h"}, "", true, false, 0},
      {{"-"}, {"-"}, "", true, false, 0},
      {{"-h"}, {}, "", true, true, 0},
      {{"x.jpg", "--help"}, {"x.jpg"}, "", true, true, 0},
      // A dangling or unknown option is reported, and the rest still counts.
      {{"map.png", "--screenshot"}, {"map.png"}, "", true, false, 1},
      {{"--screenshot="}, {}, "", true, false, 1},
      {{"--frobnicate", "map.png", "-x"}, {"map.png"}, "", true, false, 2},
      {{""}, {}, "", true, false, 0},
  };
  for (const auto& c : cases) {
    std::string name;
    for (const std::string& a : c.args) name += "[" + a + "]";
    const CCommandLine line = Parse(c.args);
    EXPECT_EQ(line.documents, c.documents) << name;
    EXPECT_EQ(line.screenshot, c.screenshot) << name;
    EXPECT_EQ(line.splash, c.splash) << name;
    EXPECT_EQ(line.help, c.help) << name;
    EXPECT_EQ(line.problems.size(), c.problems) << name;
  }
}

TEST(CommandLineTest, WhatADocumentOpens) {
  TempDir dir;
  shelltest::WriteFile(dir.Path() + "/map.PNG", "x");
  shelltest::WriteFile(dir.Path() + "/photo.jpeg", "x");
  shelltest::WriteFile(dir.Path() + "/notes.txt", "x");
  shelltest::WriteFile(dir.Path() + "/png", "x");
  dir.MakeDir("folder.bmp");
  using Kind = CDocumentRequest::EKind;
  const struct {
    std::string name;
    Kind kind;
    int book, key;
    std::string path;  // below the folder, "" for a book
  } cases[] = {
      {"Book# 2 31000", Kind::Book, 2, 31000, ""},
      {"Book#0 0", Kind::Book, 0, 0, ""},
      {dir.Path() + "/map.PNG", Kind::Picture, 0, 0, "/map.PNG"},
      {dir.Path() + "/photo.jpeg", Kind::Picture, 0, 0, "/photo.jpeg"},
      {"map.PNG", Kind::Picture, 0, 0, "/map.PNG"},  // from the current folder
      {"./map.PNG", Kind::Picture, 0, 0, "/map.PNG"},
      {dir.Path() + "/notes.txt", Kind::NotShown, 0, 0, "/notes.txt"},
      {dir.Path() + "/png", Kind::NotShown, 0, 0, "/png"},
      {dir.Path() + "/folder.bmp", Kind::NotShown, 0, 0, "/folder.bmp"},
      {dir.Path() + "/gone.png", Kind::Missing, 0, 0, "/gone.png"},
      // Not quite a book name: a file of that name.
      {"Book# 2", Kind::Missing, 0, 0, "/Book# 2"},
  };
  char old[4096];
  ASSERT_NE(::getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
  for (const auto& c : cases) {
    const CDocumentRequest r = klmw::ClassifyDocument(c.name);
    EXPECT_EQ(r.kind, c.kind) << c.name;
    if (c.kind == Kind::Book) {
      EXPECT_EQ(r.bookIndex, c.book) << c.name;
      EXPECT_EQ(r.sectionKey, c.key) << c.name;
      EXPECT_EQ(klmw::DescribeUnopenedDocument(r), "") << c.name;
    } else {
      EXPECT_EQ(r.path, dir.Path() + c.path) << c.name;
    }
    // The message names the file the user gave, made whole.
    const std::string message = klmw::DescribeUnopenedDocument(r);
    EXPECT_EQ(message.empty(), c.kind == Kind::Book || c.kind == Kind::Picture) << c.name;
    if (!message.empty()) {
      EXPECT_NE(message.find(r.path), std::string::npos) << c.name;
    }
  }
  ASSERT_EQ(::chdir(old), 0);
}

}  // namespace
