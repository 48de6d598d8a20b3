#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Item.h"
#include "core/KeptTrip.h"
#include "core/RepositoryFile.h"
#include "framework/docview/BackgroundSave.h"
#include "framework/docview/CommandLineInfo.h"
#include "framework/system/File.h"
#include "framework/system/SingleInstance.h"
#include "mfctriext/TriExtApp.h"

class Document;

// The application object: the configuration-backed application base with the repository of
// every item the user has ever entered. The repository file lies beside the program, named
// like it with the extension "vyr"; it is read at start-up and written back at exit.
//
// Nothing the user entered waits for the end of the run: a moment after every change to the
// trip or the repository, the repository file is saved behind the window (BackgroundSave),
// and a trip with changes that are not saved is kept beside the settings (KeptTrip) until
// it is saved, or the run ends as the user chose and the repository is saved. A start after
// a run that ended otherwise (killed, the power cut, the display lost) offers that trip
// back. A save of the repository that did not end leaves its items in a rescue file
// (RepositoryFile), from which the next start takes them. A failed save, and a trip that
// could not be kept, is told once, and again only after it has worked in between.
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
  // Later starts are no longer heard, and the saves behind the window end; the recent-file
  // list goes into the configuration, then the repository file, the kept trip and the
  // configuration file are written. A file that could not be written is logged (and shown
  // when the user ended the program) and the answer is the exit status 1. The trip is
  // forgotten when the user ended the run and the repository is saved, and kept while it
  // has changes otherwise.
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

  // What a save writes, taken on the window's thread: every item, and the trip to keep (or
  // to forget). Memory failures pass out. The whole of a save's work on the window's
  // thread; the writing is done on the save thread.
  struct Snapshot {
    std::string repository;
    // What becomes of the kept trip: nothing (a run that keeps none), kept, forgotten once
    // the repository is saved (kept instead while the trip has changes).
    enum TripAction { leave, keep, forget } trip = leave;
    // The trip to keep, empty when it has no changes; the kept trip's mark (KeptTrip).
    std::string tripText;
    unsigned long tripMark = 0;
  };
  Snapshot TakeSnapshot() const;

 private:
  // What a save (Store) came to.
  struct Stored {
    RepositoryFile::SaveOutcome repository;
    // The trip to keep was kept; or it went into no folder, for the system's error.
    bool tripKept = false;
    int tripError = 0;
  };

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
  // the repository, or the items of a rescue file that an unfinished rewrite left, which
  // are then saved into the repository at once. False ends the run: after telling the user
  // why the file cannot be used, or once another instance runs on it (see
  // JoinRunningInstance).
  bool LoadRepository(const framework::CommandLineInfo& commandLine);
  // The files kept elsewhere for the repository file this run holds: its rescue files and
  // the kept trip, named by its key.
  void PlaceKeptFiles();
  // Merges the rescue file's items and saves them as the repository.
  void RestoreFromRescue(const std::string& rescue);
  // Makes the main window with the trip of the command line, or first with a trip kept by
  // a run that did not end cleanly, when the user wants it back (a run that keepsTrip).
  // False when that failed.
  bool ShowFirstTrip(framework::CommandLineInfo& commandLine, bool keepsTrip);
  // Reads the kept trip, if there is one, and asks whether to bring it back; false when
  // nothing is to come back (the kept trip is then forgotten, unless a signal closed the
  // question).
  bool AskToBringBack(const KeptTrip& kept, std::string& path, toolbox::String& lines);
  // Another instance holds the repository. A print run goes on beside it, to write nothing
  // back; any other run hands its trip (or nothing, to bring that instance's window to the
  // front) over and ends with status 0, or says that the program is already running and
  // ends with status 1. True when this run goes on.
  bool JoinRunningInstance(const framework::CommandLineInfo& commandLine);
  void ReportAlreadyRunning() const;
  // No lock keeps a second copy of the user's off the repository: the user is told at start.
  void WarnUnguarded(const framework::CommandLineInfo& commandLine) const;
  // A trip handed over by a later start opens as File Open opens it; the window comes to
  // the front. False while a dialog or a question is open: the trip waits for its answer.
  bool OpenHandedOver(const std::string& trip);
  // Writes the snapshot: the repository file, then the kept trip. On any thread.
  Stored Store(const Snapshot& snapshot) const;
  // Whether the trip, as it was at its last change, is to be kept: it has changes, and
  // the user has not ended the run (answering for the trip).
  bool IsTripToKeep() const;

  // The document told of a change: a save is due. A trip saved or given up is settled at
  // once: a kill a moment later must not bring it back.
  void OnTripChanged();
  // The save behind the window: a snapshot now, the job for the save thread.
  framework::BackgroundSave::Job SaveBehind();
  // A save behind the window ended: a failure is logged, and told once until a save works;
  // so is a trip that could not be kept, until keeping it works.
  void OnSavedBehind(const Stored& stored);
  // Tells of a failed save behind the window once no dialog is open.
  void TellSaveFailure(const std::string& message);

  // The exit's save of the repository file with every item; false when it could not be
  // written, which is logged and told (ReportNotSaved). Nothing to write (true) unless this
  // run read the repository.
  [[nodiscard]] bool SaveRepository();
  // Logs a failed save of the repository file and answers what the user is told of it.
  std::string DescribeNotSaved(const RepositoryFile::SaveOutcome& outcome) const;
  // A file the exit processing could not write (logged already): the message shown in a
  // message box when the user ended the program, written to standard error when the run
  // had no window (the command line printed).
  void ReportNotSaved(const std::string& message) const;

  Repository repository;
  // Set once the repository file has been read completely: only then may it be rewritten,
  // or a start that failed part-way would replace the user's items by a fraction of them.
  bool repositoryLoaded = false;
  std::string repositoryPath;
  framework::SingleInstance instance;
  // Made once this run holds the repository file.
  std::unique_ptr<RepositoryFile> repositoryFile;
  // Where the files kept for the repository go (the settings, documents and temporary
  // folders, in this order), and their name before the suffix.
  std::vector<std::string> keptFolders;
  std::string keptName;
  // Made for a run with a window that holds the repository file, once the trip kept by an
  // earlier run is dealt with.
  std::unique_ptr<KeptTrip> keptTrip;
  std::unique_ptr<framework::BackgroundSave> saves;
  // The trip as it was at its last change: the document is gone before the exit's saves.
  std::string tripPath;
  bool tripModified = false;
  // A failed save behind the window has been told; the next is told once a save worked.
  bool saveFailureTold = false;
  // The same for a trip that could not be kept.
  bool keepFailureTold = false;
};
