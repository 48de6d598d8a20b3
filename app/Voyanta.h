#pragma once

#include <string>

#include "core/Item.h"
#include "framework/CommandLineInfo.h"
#include "framework/File.h"
#include "framework/SingleInstance.h"
#include "mfctriext/TriExtApp.h"

// The application object: the configuration-backed application base with the repository of
// every item the user has ever entered. The repository file lies beside the program, named
// like it with the extension "vyr"; it is read at start-up and written back at exit.
//
// One instance runs per repository: it holds the repository file's lock from start-up to
// its end. A later start hands its trip to it and ends; printing from the command line
// beside it reads the repository and writes back neither the repository nor the settings.
class Voyanta : public mfctriext::TriExtApp {
 public:
  Voyanta();
  ~Voyanta() override;

  // Reads the recent-file list and the repository, makes the main window with a new or the
  // named trip and shows it. False ends the program (after a reported failure, after
  // printing a trip from the command line, which never shows the window, or after handing
  // the trip over to the instance that runs on the repository).
  [[nodiscard]] bool InitInstance() override;
  // Later starts are no longer heard; the recent-file list goes into the configuration,
  // then the repository file and the configuration file are written. A file that could not
  // be written is logged (and shown when the user ended the program) and the answer is
  // the exit status 1.
  [[nodiscard]] int ExitInstance() override;

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

  // Takes the repository file (created empty when missing) for this run and merges it into
  // the repository. False ends the run: after telling the user why the file cannot be used,
  // or once another instance runs on it (see JoinRunningInstance).
  bool LoadRepository(const framework::CommandLineInfo& commandLine);
  // Another instance holds the repository. A print run goes on beside it, to write nothing
  // back; any other run hands its trip (or nothing, to bring that instance's window to the
  // front) over and ends with status 0, or says that the program is already running and
  // ends with status 1. True when this run goes on.
  bool JoinRunningInstance(const framework::CommandLineInfo& commandLine);
  void ReportAlreadyRunning() const;
  // A trip handed over by a later start opens as File Open opens it; the window comes to
  // the front. False while a dialog or a question is open: the trip waits for its answer.
  bool OpenHandedOver(const std::string& trip);
  // Replaces the repository file with every item; false when it could not be written, which
  // is logged and told (ReportNotSaved). Nothing to write (true) unless this run read the
  // repository. Where the rewrite in place failed part-way and left the file damaged, every
  // item goes to a rescue file beside the settings (WriteRescue), and the message names it.
  [[nodiscard]] bool SaveRepository();
  // Writes every item into the file at path, replacing it as a whole.
  void WriteRepositoryTo(framework::File& file, const std::string& path);
  // Every item into the repository file's name + ".rescue" in the settings folder: its path,
  // or empty when that could not be written either (logged).
  std::string WriteRescue();
  // A file the exit processing could not write (logged already): shown in a message box
  // with its path and the reason when the user ended the program, written to standard
  // error when the run had no window (the command line printed).
  void ReportNotSaved(unsigned messageId, const std::string& path, const std::string& reason) const;

  Repository repository;
  // Set once the repository file has been read completely: only then may it be rewritten,
  // or a start that failed part-way would replace the user's items by a fraction of them.
  bool repositoryLoaded = false;
  std::string repositoryPath;
  framework::SingleInstance instance;
};
