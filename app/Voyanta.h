#pragma once

#include <string>

#include "core/Item.h"
#include "framework/File.h"
#include "mfctriext/TriExtApp.h"

// The application object: the configuration-backed application base with the repository of
// every item the user has ever entered. The repository file lies beside the program, named
// like it with the extension "vyr"; it is read at start-up and written back at exit.
class Voyanta : public mfctriext::TriExtApp {
 public:
  Voyanta();
  ~Voyanta() override;

  // Reads the recent-file list and the repository, makes the main window with a new or the
  // named trip and shows it. False ends the program (after a reported failure, or after
  // printing a trip from the command line, which never shows the window).
  bool InitInstance() override;
  // The recent-file list goes into the configuration, then the repository file is written.
  int ExitInstance() override;

  Repository& GetRepository() { return repository; }

  // The item list file operations on the repository.
  void ReadItemList(framework::File& file);
  void WriteItemList(framework::File& file, bool checkedOnly);

  // The repository file's path: the program path with the extension "vyr". Throws
  // EIllegalArgument (with the given operation and line) when the program path has no file
  // name.
  static std::string RepositoryPath(const char* operation, int line);

  const framework::CommandMap& GetCommandMap() const override;

 private:
  // The help pages and the terms lie in "docs" beside the program file; they and the web
  // site are handed to the desktop, which opens them in the associated program. Whether
  // that worked is the desktop's to tell: a missing file gets no message from us.
  void OnAppHelp();
  void OnAppTerms();
  void OnAppWebsite();
  // The options and the about box, modal; their answers change nothing.
  void OnOptions();
  void OnAppAbout();
  // Opens the file in the folder docs/<subfolder> (docs itself without one) beside the program.
  static void OpenBesideProgram(const char* subfolder, const char* fileName);

  // Opens the repository file (created empty when missing) and merges it into the
  // repository; false after telling the user why it cannot be used.
  bool LoadRepository();
  // Replaces the repository file with every item; a failure is logged.
  void SaveRepository();

  Repository repository;
  // Set once the repository file has been read completely: only then may it be rewritten,
  // or a start that failed part-way would replace the user's items by a fraction of them.
  bool repositoryLoaded = false;
  std::string repositoryPath;
};
