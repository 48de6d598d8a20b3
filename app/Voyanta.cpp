#include "app/Voyanta.h"

#include <QApplication>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "app/MainFrame.h"
#include "core/Document.h"
#include "core/ItemList.h"
#include "framework/CommandIds.h"
#include "framework/CommandLineInfo.h"
#include "framework/DocTemplate.h"
#include "framework/Exceptions.h"
#include "framework/FrameWindow.h"
#include "framework/MessageBox.h"
#include "framework/Paths.h"
#include "framework/Shell.h"
#include "framework/Strings.h"
#include "mfctriext/ConfigRecentFileList.h"
#include "resources/MainFrameResources.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "toolbox/Exception.h"
#include "toolbox/Files.h"
#include "toolbox/LogSink.h"
#include "toolbox/Path.h"
#include "ui/AboutDialog.h"
#include "ui/MainView.h"
#include "ui/OptionsDialog.h"

const char* mfctriext::GetApplicationName() { return "Voyanta"; }

Voyanta::Voyanta() { framework::RegisterStringTable(resources::kStringTable); }

Voyanta::~Voyanta() = default;

std::string Voyanta::RepositoryPath(const char* operation, int line) {
  std::unique_ptr<toolbox::Path> path(toolbox::Path::ProgramPath());
  toolbox::String* name = path->Last();
  if (name == nullptr) throw toolbox::EIllegalArgument("__argv[0] contains an illegal program path", operation, line);
  toolbox::Path::SetExtension(*name, "vyr");
  std::unique_ptr<char, decltype(&std::free)> text(path->ToText(false), &std::free);
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
  // A print run ends at start-up: nobody could hand it anything.
  if (instance.IsClaimed() && !commandLine.IsPrint()) {
    // When it cannot listen (logged), later starts say that it runs; this run goes on.
    static_cast<void>(instance.Listen([this](const std::string& trip) { return OpenHandedOver(trip); }));
  }

  AddDocTemplate(framework::New<framework::DocTemplate>(
      resources::kMainFrameResources, [this] { return framework::New<Document>(repository); },
      [] { return framework::New<MainFrame>(); }, [] { return framework::New<MainView>(); }));

  if (!ProcessShellCommand(commandLine)) return false;

  m_pMainWnd->ShowWindow(m_nCmdShow);
  m_pMainWnd->UpdateWindow();
  m_pMainWnd->BringToTop();
  return true;
}

bool Voyanta::LoadRepository(const framework::CommandLineInfo& commandLine) {
  std::string reason;
  try {
    repositoryPath = RepositoryPath("Voyanta::InitInstance", 110);
    switch (instance.Claim(repositoryPath.c_str())) {
      case framework::SingleInstance::claimed:
        // This run has the repository to itself: what a run that crashed while saving it
        // left beside it can go.
        toolbox::RemoveStaleTemporaries(repositoryPath.c_str());
        break;
      case framework::SingleInstance::running:
        if (!JoinRunningInstance(commandLine)) return false;
        break;
      default: {
        const int error = instance.GetError();
        throw framework::FileException(framework::FileException::CauseFromErrno(error), error, repositoryPath);
      }
    }
    framework::File file(repositoryPath.c_str(), framework::File::modeRead);
    ReadItemList(file);
    file.Close();
    repositoryLoaded = true;
    return true;
  } catch (const framework::Exception& error) {
    reason = error.GetErrorMessage();
  } catch (const toolbox::Exception& error) {
    // It has recorded itself in the log as it was made.
    reason = error.GetMessage() != nullptr ? error.GetMessage() : error.GetTypeName();
  }
  std::string message = framework::FormatString(resources::IDS_REPOSITORY_FAILED, repositoryPath.c_str());
  message += "\n\n" + reason;
  framework::MessageBox::Show(message.c_str(), framework::MB_OK | framework::MB_ICONERROR,
                              framework::LoadString(resources::IDS_MESSAGE_CAPTION));
  return false;
}

bool Voyanta::JoinRunningInstance(const framework::CommandLineInfo& commandLine) {
  if (commandLine.IsPrint()) {
    LeaveConfigurationUnsaved();  // the settings are the running instance's
    return true;
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
  const std::string message = framework::FormatString(resources::IDS_ALREADY_RUNNING, repositoryPath.c_str());
  framework::MessageBox::Show(message.c_str(), framework::MB_OK | framework::MB_ICONERROR,
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
    work();
    return true;
  } catch (const framework::FileException& failure) {
    reason = failure.GetReason();
  } catch (const framework::MemoryException&) {
    reason = std::strerror(ENOMEM);
  } catch (const toolbox::EOutOfMemory&) {
    reason = std::strerror(ENOMEM);
  } catch (const std::bad_alloc&) {
    reason = std::strerror(ENOMEM);
  }
  return false;
}

}  // namespace

int Voyanta::ExitInstance() {
  // The window is gone: a later start now waits for this run's end and then runs itself.
  instance.StopListening();
  // The recent-file list goes into the configuration, then the repository file and the
  // configuration file are written, in this order. Each is written here rather than as the
  // application object goes, after main: a failure can still be logged, shown and given
  // as the exit status, and one failure never keeps the other file from being written.
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
    ReportNotSaved(resources::IDS_SETTINGS_NOT_SAVED, configurationPath, reason);
    status = 1;
  }
  return status;
}

bool Voyanta::SaveRepository() {
  // A run beside the running instance (a print run) leaves the repository to it.
  if (!repositoryLoaded || !instance.IsClaimed()) return true;
  // A replace: the new file is complete on disk before it takes the old one's place.
  framework::File file;
  std::string reason;
  if (Writes([&] { WriteRepositoryTo(file, repositoryPath); }, reason)) return true;
  toolbox::LogToCurrent("Voyanta::ExitInstance", __LINE__, toolbox::LogError,
                        "The repository file %s could not be written: %s", repositoryPath.c_str(), reason.c_str());
  if (!file.IsDamaged()) {
    ReportNotSaved(resources::IDS_REPOSITORY_NOT_SAVED, repositoryPath, reason);
    return false;
  }
  const std::string rescue = WriteRescue();
  if (!rescue.empty()) reason += "\n\n" + framework::FormatString(resources::IDS_REPOSITORY_RESCUED, rescue.c_str());
  ReportNotSaved(resources::IDS_REPOSITORY_DAMAGED, repositoryPath, reason);
  return false;
}

void Voyanta::WriteRepositoryTo(framework::File& file, const std::string& path) {
  file.Open(path.c_str(), framework::File::modeReplace);
  WriteItemList(file, false);
  file.Close();
}

std::string Voyanta::WriteRescue() {
  std::string path;
  std::string reason;
  const bool written = Writes(
      [&] {
        std::unique_ptr<toolbox::Path> folder(GetApplicationDataFolder());
        std::unique_ptr<char, decltype(&std::free)> text(folder->ToText(false), &std::free);
        path = std::string(text.get()) + "/" + framework::FileNameOf(repositoryPath) + ".rescue";
        framework::File file;
        WriteRepositoryTo(file, path);
      },
      reason);
  if (written) {
    toolbox::LogToCurrent("Voyanta::WriteRescue", __LINE__, toolbox::LogError,
                          "The repository file %s is damaged; every item is kept in %s", repositoryPath.c_str(),
                          path.c_str());
    return path;
  }
  toolbox::LogToCurrent("Voyanta::WriteRescue", __LINE__, toolbox::LogError,
                        "The repository file %s is damaged, and its items could not be kept in %s either: %s",
                        repositoryPath.c_str(), path.c_str(), reason.c_str());
  return {};
}

void Voyanta::ReportNotSaved(unsigned messageId, const std::string& path, const std::string& reason) const {
  const std::string message = framework::FormatString(messageId, path.c_str()) + "\n\n" + reason;
  const auto show = [&message] {
    framework::MessageBox::Show(message.c_str(), framework::MB_OK | framework::MB_ICONERROR,
                                framework::LoadString(resources::IDS_MESSAGE_CAPTION));
  };
  if (HasEndedAtStartUp()) {
    const framework::UnattendedScope toStandardError;
    show();
  } else if (IsEndedByUser()) {
    // After a termination signal or at the end of the session nobody is left to read it.
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
  std::unique_ptr<char, decltype(&std::free)> text(folder->ToText(false), &std::free);
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
