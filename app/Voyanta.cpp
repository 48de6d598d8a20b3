#include "app/Voyanta.h"

#include <QApplication>
#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "app/MainFrame.h"
#include "core/Document.h"
#include "core/ItemList.h"
#include "core/KeptTrip.h"
#include "core/RepositoryFile.h"
#include "framework/base/CommandIds.h"
#include "framework/base/Exceptions.h"
#include "framework/base/StringTable.h"
#include "framework/base/TextEncoding.h"
#include "framework/dialogs/MessageBox.h"
#include "framework/docview/CommandLineInfo.h"
#include "framework/docview/DocTemplate.h"
#include "framework/docview/FrameWindow.h"
#include "framework/system/Paths.h"
#include "framework/system/Shell.h"
#include "mfctriext/ConfigRecentFileList.h"
#include "resources/MainFrameResources.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "toolbox/base/Exception.h"
#include "toolbox/base/LogSink.h"
#include "toolbox/base/Memory.h"
#include "toolbox/system/Files.h"
#include "toolbox/system/Path.h"
#include "ui/AboutDialog.h"
#include "ui/MainView.h"
#include "ui/OptionsDialog.h"

const char* mfctriext::GetApplicationName() { return "Voyanta"; }

namespace {

// A change reaches the disk this long after it was made (a moment more for the writing), so
// that a burst of changes, such as ticking one item after another, makes one save.
constexpr int kSaveDelayMilliseconds = 1000;
// How much of the repository file's name the files kept for it elsewhere begin with: its
// first bytes, ending on a whole character.
constexpr std::size_t kKeptNameLength = 64;

// The settings folder: the user's own, where the copies of the program find each other when
// nothing else serves (see framework::SingleInstance).
std::string SettingsFolder() {
  std::unique_ptr<toolbox::Path> settings(mfctriext::TriExtApp::GetApplicationDataFolder());
  toolbox::HeapText text(settings->ToText(false));
  return text.get();
}

}  // namespace

Voyanta::Voyanta() : instance(SettingsFolder()) { framework::RegisterStringTable(resources::kStringTable); }

Voyanta::~Voyanta() = default;

std::string Voyanta::RepositoryPath(const char* operation, int line) {
  std::unique_ptr<toolbox::Path> path(toolbox::Path::ProgramPath());
  toolbox::String* name = path->Last();
  if (name == nullptr) throw toolbox::EIllegalArgument("__argv[0] contains an illegal program path", operation, line);
  toolbox::Path::SetExtension(*name, "vyr");
  toolbox::HeapText text(path->ToText(false));
  return text.get();
}

void Voyanta::ReadItemList(framework::File& file) { ::ReadItemList(repository, file); }

void Voyanta::WriteItemList(framework::File& file, bool checkedOnly) { ::WriteItemList(repository, file, checkedOnly); }

bool Voyanta::InitInstance() {
  toolbox::ConfigSection& root = *GetConfigRoot();
  auto* recentFiles = framework::New<mfctriext::ConfigRecentFileList>(root.GetSubsection("MRU"), 0u, 8, 30);
  m_pRecentFileList = recentFiles;
  recentFiles->ReadList();

  m_nCmdShow = root.GetSubsection("MainFrame").GetBool("Maximized", false) ? framework::SW_SHOWMAXIMIZED
                                                                          : framework::SW_SHOW;

  framework::CommandLineInfo commandLine;
  ParseCommandLine(commandLine);
  if (!LoadRepository(commandLine)) return false;
  // A print run ends at start-up: nobody could hand it anything, and it keeps no trip.
  if (instance.IsClaimed() && !commandLine.IsPrint()) {
    // When it cannot listen (logged), later starts say that it runs; this run goes on.
    static_cast<void>(instance.Listen([this](const std::string& trip) { return OpenHandedOver(trip); }));
  }

  AddDocTemplate(framework::New<framework::DocTemplate>(
      resources::kMainFrameResources,
      [this] { return framework::New<Document>(repository, [this] { OnTripChanged(); }); },
      [] { return framework::New<MainFrame>(); }, [] { return framework::New<MainView>(); }));

  if (!ShowFirstTrip(commandLine, instance.IsClaimed() && !commandLine.IsPrint())) return false;

  m_pMainWnd->ShowWindow(m_nCmdShow);
  m_pMainWnd->UpdateWindow();
  m_pMainWnd->BringToTop();
  return true;
}

bool Voyanta::ShowFirstTrip(framework::CommandLineInfo& commandLine, bool keepsTrip) {
  std::string keptPath;
  toolbox::String keptLines;
  bool bringBack = false;
  if (keepsTrip) {
    keptTrip.reset(framework::New<KeptTrip>(keptName + ".trip", keptFolders));
    bringBack = AskToBringBack(*keptTrip, keptPath, keptLines);
    // A run ended while it asked (by a signal) leaves the kept trip to the next start.
    if (IsEnding()) keptTrip.reset();
  }
  if (!bringBack) {
    if (!ProcessShellCommand(commandLine)) return false;
  } else {
    framework::CommandLineInfo newTrip;
    if (!ProcessShellCommand(newTrip)) return false;
  }
  // From here on every change is saved behind the window; the new trip of the start is none.
  if (keptTrip != nullptr) {
    saves.reset(framework::New<framework::BackgroundSave>(kSaveDelayMilliseconds, [this] { return SaveBehind(); }));
    // The trip opened merged its items into the repository.
    if (commandLine.m_nShellCommand == framework::CommandLineInfo::FileOpen) saves->Schedule();
  }
  if (bringBack) {
    static_cast<Document*>(GetFirstDocTemplate()->GetDocument())->BringBack(keptPath, keptLines);
    // A trip named as well opens after it, asking first whether to save the one brought back.
    if (commandLine.m_nShellCommand == framework::CommandLineInfo::FileOpen) {
      static_cast<void>(OpenDocumentFile(commandLine.m_strFileName.c_str()));
    }
  }
  return true;
}

bool Voyanta::AskToBringBack(const KeptTrip& kept, std::string& path, toolbox::String& lines) {
  int error = 0;
  bool read = false;
  try {
    read = kept.Read(path, lines, error);
  } catch (const toolbox::EOutOfMemory&) {
    error = ENOMEM;
  }
  if (!read) {
    if (error != ENOENT) {
      toolbox::LogToCurrent("Voyanta::AskToBringBack", __LINE__, toolbox::LogError,
                            "The trip kept in %s cannot be read: %s", kept.Find().c_str(),
                            toolbox::DescribeFileError(error));
    }
    return false;
  }
  std::string name = framework::FileNameOf(path);
  if (name.empty()) GetFirstDocTemplate()->GetDocString(name, framework::DocTemplate::docName);
  const std::string question = framework::FormatString(resources::IDS_BRING_BACK_TRIP, name.c_str());
  const bool wanted = framework::MessageBox::Show(question.c_str(), framework::MB_YESNO | framework::MB_ICONQUESTION,
                                                  framework::LoadString(resources::IDS_MESSAGE_CAPTION)) ==
                      framework::IDYES;
  // A question a signal closed got no answer.
  if (IsEnding()) return false;
  // Asked once: given up, it is gone; brought back, it is kept anew as it changes.
  if (!wanted) kept.Forget();
  return wanted;
}

bool Voyanta::LoadRepository(const framework::CommandLineInfo& commandLine) {
  std::string reason;
  unsigned messageId = resources::IDS_REPOSITORY_FAILED;
  // The file the message names: the repository, or the rescue file read in its place.
  std::string named;
  try {
    repositoryPath = RepositoryPath("Voyanta::InitInstance", 110);
    named = repositoryPath;
    switch (instance.Claim(repositoryPath.c_str())) {
      case framework::SingleInstance::claimed:
        // This run has the repository to itself: what a run that crashed while saving it
        // left beside it can go.
        toolbox::RemoveStaleTemporaries(repositoryPath.c_str());
        PlaceKeptFiles();
        if (instance.IsUnguarded()) WarnUnguarded(commandLine);
        break;
      case framework::SingleInstance::running:
        if (!JoinRunningInstance(commandLine)) return false;
        break;
      default: {
        const int error = instance.GetError();
        named = instance.GetFailedPath();
        if (named != repositoryPath) messageId = resources::IDS_LOCK_FAILED;
        throw framework::FileException(framework::FileException::CauseFromErrno(error), error, named);
      }
    }
    const std::string rescue = repositoryFile != nullptr ? repositoryFile->FindRescue() : std::string();
    if (!rescue.empty()) {
      named = rescue;
      RestoreFromRescue(rescue);
    } else {
      framework::File file(repositoryPath.c_str(), framework::File::modeRead);
      ReadItemList(file);
      file.Close();
    }
    repositoryLoaded = true;
    return true;
  } catch (const framework::FileException& error) {
    // A file holding NUL bytes is no item list: it was damaged, which says all there is.
    if (error.GetCause() == framework::FileException::invalidFile) {
      messageId = resources::IDS_REPOSITORY_DAMAGED_AT_START;
    } else if (messageId == resources::IDS_LOCK_FAILED) {
      reason = error.GetReason();  // the message names the lock file already
    } else {
      reason = error.GetErrorMessage();
    }
  } catch (const framework::Exception& error) {
    reason = error.GetErrorMessage();
  } catch (const toolbox::Exception& error) {
    // It has recorded itself in the log as it was made.
    reason = error.GetMessage() != nullptr ? error.GetMessage() : error.GetTypeName();
  }
  std::string message = framework::FormatString(messageId, named.c_str());
  if (!reason.empty()) message += "\n\n" + reason;
  framework::MessageBox::Show(message.c_str(), framework::MB_OK | framework::MB_ICONERROR,
                              framework::LoadString(resources::IDS_MESSAGE_CAPTION));
  return false;
}

void Voyanta::PlaceKeptFiles() {
  // Named by the repository's key, so that two repositories of one user (two copies of the
  // program) never take each other's files, after as much of the repository's name as
  // leaves room for the suffixes of a temporary file within a file name's 255 bytes.
  keptName = framework::FileNameOf(repositoryPath);
  keptName.resize(framework::CharacterEnd(keptName, kKeptNameLength));
  keptName.append(".").append(instance.GetKey(), 0, 16);
  keptFolders.assign(1, SettingsFolder());
  toolbox::Path documents;
  if (documents.FromKnownFolder(toolbox::Path::DocumentsFolder, false)) {
    toolbox::HeapText text(documents.ToText(false));
    keptFolders.emplace_back(text.get());
  }
  const char* temporary = std::getenv("TMPDIR");
  keptFolders.emplace_back(temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp");
  repositoryFile.reset(framework::New<RepositoryFile>(repositoryPath, keptName + ".rescue", keptFolders));
}

void Voyanta::RestoreFromRescue(const std::string& rescue) {
  std::size_t length = 0;
  int error = 0;
  toolbox::HeapText text(toolbox::ReadWholeFile(rescue.c_str(), length, error, true));
  if (text == nullptr) throw framework::FileException(framework::FileException::CauseFromErrno(error), error, rescue);
  if (std::memchr(text.get(), '\0', length) != nullptr) {
    throw framework::FileException(framework::FileException::invalidFile, 0, rescue);
  }
  MergeItemList(repository, toolbox::String(text.get()));
  toolbox::LogToCurrent("Voyanta::RestoreFromRescue", __LINE__, toolbox::LogWarn,
                        "The repository file %s was not rewritten to its end: its items are taken from %s",
                        repositoryPath.c_str(), rescue.c_str());
  const RepositoryFile::SaveOutcome outcome = Store(TakeSnapshot()).repository;
  if (outcome.saved) {
    toolbox::LogToCurrent("Voyanta::RestoreFromRescue", __LINE__, toolbox::LogWarn,
                          "The repository file %s holds them again", repositoryPath.c_str());
  } else {
    // The rescue file stays; this run goes on with the items, and saves them as it goes.
    static_cast<void>(DescribeNotSaved(outcome));
  }
}

bool Voyanta::JoinRunningInstance(const framework::CommandLineInfo& commandLine) {
  if (commandLine.IsPrint()) {
    LeaveConfigurationUnsaved();  // the settings are the running instance's
    return true;
  }
  // Another user's window cannot take this user's trip.
  if (!instance.CanHandOver()) {
    ReportAlreadyRunning();
    LeaveConfigurationUnsaved();
    return false;
  }
  // The running instance stands in another folder: the trip goes with its full path.
  const bool named = commandLine.m_nShellCommand == framework::CommandLineInfo::FileOpen;
  switch (instance.HandOver(named ? framework::FullPath(commandLine.m_strFileName) : std::string())) {
    case framework::SingleInstance::claimed:
      return true;  // that instance has ended meanwhile: this one runs instead
    case framework::SingleInstance::handedOver:
      EndAtStartUp(0);
      break;
    default:
      ReportAlreadyRunning();
      break;
  }
  LeaveConfigurationUnsaved();
  return false;
}

void Voyanta::ReportAlreadyRunning() const {
  std::string message = framework::FormatString(resources::IDS_ALREADY_RUNNING, repositoryPath.c_str());
  const std::string holder = instance.GetOtherHolder();
  if (!holder.empty()) message += "\n\n" + framework::FormatString(resources::IDS_STARTED_BY, holder.c_str());
  framework::MessageBox::Show(message.c_str(), framework::MB_OK | framework::MB_ICONERROR,
                              framework::LoadString(resources::IDS_MESSAGE_CAPTION));
}

void Voyanta::WarnUnguarded(const framework::CommandLineInfo& commandLine) const {
  const std::string message = framework::FormatString(resources::IDS_UNGUARDED, repositoryPath.c_str());
  if (commandLine.IsPrint()) {
    // A print run asks nobody: a word on standard error, and the print goes on.
    const framework::UnattendedScope toStandardError;
    framework::WarnUnattended(message.c_str());
    return;
  }
  framework::MessageBox::Show(message.c_str(), framework::MB_OK | framework::MB_ICONWARNING,
                              framework::LoadString(resources::IDS_MESSAGE_CAPTION));
}

bool Voyanta::OpenHandedOver(const std::string& trip) {
  if (m_pMainWnd == nullptr || QApplication::activeModalWidget() != nullptr) return false;
  // First to the front, so that the question about a modified trip is seen where it asks.
  m_pMainWnd->BringToTop();
  // A trip that cannot be opened has been reported by the opening.
  if (!trip.empty()) static_cast<void>(OpenDocumentFile(trip.c_str()));
  return true;
}

namespace {

// Runs a step of the exit processing that writes; false with the reason when it failed.
// Running out of memory is one such failure: nothing of it may keep the other files from
// being written.
template <class Work>
bool Writes(Work&& work, std::string& reason) {
  try {
    framework::Allocating(std::forward<Work>(work));
    return true;
  } catch (const framework::FileException& failure) {
    reason = failure.GetReason();
  } catch (const framework::MemoryException&) {
    reason = std::strerror(ENOMEM);
  }
  return false;
}

}  // namespace

int Voyanta::ExitInstance() {
  // The window is gone: a later start now waits for this run's end and then runs itself.
  instance.StopListening();
  // The exit's own save comes after the one that runs behind the window.
  if (saves != nullptr) saves->Finish();
  // The recent-file list goes into the configuration, then the repository file, the kept
  // trip and the configuration file are written, in this order. Each is written here rather
  // than as the application object goes, after main: a failure can still be logged, shown
  // and given as the exit status, and one failure never keeps the other files from being
  // written.
  int status = 0;
  std::string reason;
  if (!Writes([&] { status = TriExtApp::ExitInstance(); }, reason)) {
    toolbox::LogToCurrent("Voyanta::ExitInstance", __LINE__, toolbox::LogError,
                          "The recent files could not be put into the settings: %s", reason.c_str());
    status = 1;
  }
  if (!SaveRepository()) status = 1;
  // The configuration logs a failed save itself, naming the file and the system's reason.
  std::string configurationPath;
  if (!SaveConfiguration(configurationPath, reason)) {
    ReportNotSaved(framework::FormatString(resources::IDS_SETTINGS_NOT_SAVED, configurationPath.c_str()) + "\n\n" +
                   reason);
    status = 1;
  }
  saves.reset();
  return status;
}

bool Voyanta::IsTripToKeep() const {
  // A trip the user answered for as the run ended is settled.
  return tripModified && !IsEndedByUser();
}

Voyanta::Snapshot Voyanta::TakeSnapshot() const {
  Snapshot snapshot;
  AppendItemList(repository, false, snapshot.repository);
  if (keptTrip == nullptr) return snapshot;
  snapshot.trip = IsTripToKeep() ? Snapshot::keep : Snapshot::forget;
  // Also where the user ended the run: kept all the same while the repository is not saved.
  if (tripModified) snapshot.tripText = KeptTrip::Format(tripPath, repository);
  snapshot.tripMark = keptTrip->GetMark();
  return snapshot;
}

Voyanta::Stored Voyanta::Store(const Snapshot& snapshot) const {
  Stored stored;
  stored.repository = repositoryFile->Save(snapshot.repository);
  if (snapshot.trip == Snapshot::leave) return stored;
  // The trip's check marks are not lost with a repository that could not be saved.
  const bool keep = snapshot.trip == Snapshot::keep || (!stored.repository.saved && !snapshot.tripText.empty());
  if (!keep) {
    if (stored.repository.saved) keptTrip->Forget();
  } else if (keptTrip->Keep(snapshot.tripText, snapshot.tripMark, stored.tripError)) {
    stored.tripKept = true;
  } else {
    toolbox::LogToCurrent("Voyanta::Store", __LINE__, toolbox::LogError, "The trip cannot be kept in %s: %s",
                          keptTrip->In(keptFolders.front()).c_str(), toolbox::DescribeFileError(stored.tripError));
  }
  return stored;
}

void Voyanta::OnTripChanged() {
  const framework::Document* document = GetFirstDocTemplate()->GetDocument();
  if (document == nullptr) return;
  const bool wasModified = tripModified;
  tripPath = document->GetPathName();
  tripModified = document->IsModified();
  if (keptTrip != nullptr && wasModified && !tripModified) keptTrip->Settle();
  if (saves != nullptr) saves->Schedule();
}

framework::BackgroundSave::Job Voyanta::SaveBehind() {
  auto snapshot = std::make_shared<const Snapshot>(TakeSnapshot());
  return [this, snapshot]() -> framework::BackgroundSave::Report {
    const Stored stored = Store(*snapshot);
    return [this, stored] { OnSavedBehind(stored); };
  };
}

void Voyanta::OnSavedBehind(const Stored& stored) {
  std::string message;
  if (stored.repository.saved) {
    if (saveFailureTold) {
      toolbox::LogToCurrent("Voyanta::OnSavedBehind", __LINE__, toolbox::LogInfo, "The repository file %s is saved again",
                            repositoryPath.c_str());
    }
    saveFailureTold = false;
  } else {
    const std::string notSaved = DescribeNotSaved(stored.repository);
    if (!saveFailureTold) message = notSaved;
    saveFailureTold = true;
  }
  if (stored.tripKept) {
    keepFailureTold = false;
  } else if (stored.tripError != 0 && !keepFailureTold) {
    keepFailureTold = true;
    if (!message.empty()) message += "\n\n";
    message += framework::FormatString(resources::IDS_TRIP_NOT_KEPT, toolbox::DescribeFileError(stored.tripError));
  }
  if (!message.empty()) TellSaveFailure(message + "\n\n" + framework::LoadString(resources::IDS_SAVE_RETRIED));
}

void Voyanta::TellSaveFailure(const std::string& message) {
  if (m_pMainWnd == nullptr) return;
  // Not over an open dialog, whose user is busy with it: once it has closed.
  if (QApplication::activeModalWidget() != nullptr) {
    QTimer::singleShot(kSaveDelayMilliseconds, m_pMainWnd, [this, message] { TellSaveFailure(message); });
    return;
  }
  framework::MessageBox::Show(message.c_str(), framework::MB_OK | framework::MB_ICONWARNING,
                              framework::LoadString(resources::IDS_MESSAGE_CAPTION));
}

bool Voyanta::SaveRepository() {
  // A run beside the running instance (a print run) leaves the repository to it.
  if (!repositoryLoaded || !instance.IsClaimed()) return true;
  std::string reason;
  RepositoryFile::SaveOutcome outcome;
  if (!Writes([&] { outcome = Store(TakeSnapshot()).repository; }, reason)) {
    toolbox::LogToCurrent("Voyanta::ExitInstance", __LINE__, toolbox::LogError,
                          "The repository file %s could not be written: %s", repositoryPath.c_str(), reason.c_str());
    ReportNotSaved(framework::FormatString(resources::IDS_REPOSITORY_NOT_SAVED, repositoryPath.c_str()) + "\n\n" +
                   reason);
    return false;
  }
  if (outcome.saved) return true;
  ReportNotSaved(DescribeNotSaved(outcome));
  return false;
}

std::string Voyanta::DescribeNotSaved(const RepositoryFile::SaveOutcome& outcome) const {
  const char* reason = toolbox::DescribeFileError(outcome.error);
  toolbox::LogToCurrent("Voyanta::DescribeNotSaved", __LINE__, toolbox::LogError,
                        "The repository file %s could not be written: %s", repositoryPath.c_str(), reason);
  std::string message = framework::FormatString(
      outcome.damaged ? resources::IDS_REPOSITORY_DAMAGED : resources::IDS_REPOSITORY_NOT_SAVED, repositoryPath.c_str());
  message += "\n\n";
  message += reason;
  if (!outcome.rescue.empty()) {
    toolbox::LogToCurrent("Voyanta::DescribeNotSaved", __LINE__, toolbox::LogError,
                          "The repository file %s was not rewritten to its end; every item is kept in %s",
                          repositoryPath.c_str(), outcome.rescue.c_str());
    message += "\n\n" + framework::FormatString(resources::IDS_REPOSITORY_RESCUED, outcome.rescue.c_str());
  } else if (outcome.rescueError != 0) {
    const char* rescueReason = toolbox::DescribeFileError(outcome.rescueError);
    toolbox::LogToCurrent("Voyanta::DescribeNotSaved", __LINE__, toolbox::LogError,
                          "The items of the repository file %s could not be kept in a rescue file either: %s",
                          repositoryPath.c_str(), rescueReason);
    message += "\n\n" + framework::FormatString(resources::IDS_ITEMS_NOT_KEPT, rescueReason);
  }
  return message;
}

void Voyanta::ReportNotSaved(const std::string& message) const {
  const auto show = [&message] {
    framework::MessageBox::Show(message.c_str(), framework::MB_OK | framework::MB_ICONERROR,
                                framework::LoadString(resources::IDS_MESSAGE_CAPTION));
  };
  if (HasEndedAtStartUp()) {
    const framework::UnattendedScope toStandardError;
    show();
  } else if (IsEndedByUser()) {
    // After a termination signal, a lost display or at the end of the session nobody is
    // left to read it.
    show();
  }
}

const framework::CommandMap& Voyanta::GetCommandMap() const {
  static const framework::CommandMap map(&TriExtApp::GetCommandMap(), {
      framework::OnCommand(resources::ID_APP_HELP, &Voyanta::OnAppHelp),
      framework::OnCommand(resources::ID_APP_TERMS, &Voyanta::OnAppTerms),
      framework::OnCommand(resources::ID_APP_WEBSITE, &Voyanta::OnAppWebsite),
      framework::OnCommand(resources::ID_APP_OPTIONS, &Voyanta::OnOptions),
      framework::OnCommand(framework::ID_APP_ABOUT, &Voyanta::OnAppAbout),
  });
  return map;
}

void Voyanta::OnAppHelp() { OpenBesideProgram("help", "index.html"); }

void Voyanta::OnAppTerms() { OpenBesideProgram(nullptr, "Readme.txt"); }

void Voyanta::OnAppWebsite() {
  // Whether the browser came up is the desktop's to tell (see OpenBesideProgram).
  static_cast<void>(framework::Shell::OpenAddress(framework::LoadString(resources::IDS_WEBSITE_URL)));
}

void Voyanta::OpenBesideProgram(const char* subfolder, const char* fileName) {
  std::unique_ptr<toolbox::Path> folder(toolbox::Path::ProgramFolder());
  folder->AddText("docs");
  if (subfolder != nullptr) folder->AddText(subfolder);
  toolbox::HeapText text(folder->ToText(false));
  // Whether it opened is the desktop's to tell: a missing file gets no message from us.
  static_cast<void>(framework::Shell::OpenFile(text.get(), fileName));
}

void Voyanta::OnOptions() {
  OptionsDialog dialog(m_pMainWnd);
  static_cast<void>(dialog.DoModal());
}

void Voyanta::OnAppAbout() {
  AboutDialog dialog(m_pMainWnd);
  static_cast<void>(dialog.DoModal());
}
