#include "app/Voyanta.h"

#include <cstdlib>
#include <memory>

#include "app/MainFrame.h"
#include "core/Document.h"
#include "core/ItemList.h"
#include "framework/CommandIds.h"
#include "framework/CommandLineInfo.h"
#include "framework/DocTemplate.h"
#include "framework/Exceptions.h"
#include "framework/FrameWindow.h"
#include "framework/MessageBox.h"
#include "framework/Shell.h"
#include "framework/Strings.h"
#include "mfctriext/ConfigRecentFileList.h"
#include "resources/MainFrameResources.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "toolbox/Exception.h"
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

  if (!LoadRepository()) return false;

  AddDocTemplate(framework::New<framework::DocTemplate>(
      resources::kMainFrameResources, [this] { return framework::New<Document>(repository); },
      [] { return framework::New<MainFrame>(); }, [] { return framework::New<MainView>(); }));

  framework::CommandLineInfo commandLine;
  ParseCommandLine(commandLine);
  if (!ProcessShellCommand(commandLine)) return false;

  m_pMainWnd->ShowWindow(m_nCmdShow);
  m_pMainWnd->UpdateWindow();
  m_pMainWnd->BringToTop();
  return true;
}

bool Voyanta::LoadRepository() {
  std::string reason;
  try {
    repositoryPath = RepositoryPath("Voyanta::InitInstance", 110);
    toolbox::Path path(repositoryPath.c_str());
    if (!path.Exists()) framework::File(repositoryPath.c_str(), framework::File::modeCreate).Close();
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

int Voyanta::ExitInstance() {
  const int status = TriExtApp::ExitInstance();
  SaveRepository();
  return status;
}

void Voyanta::SaveRepository() {
  if (!repositoryLoaded) return;
  try {
    // A replace: the new file is complete on disk before it takes the old one's place.
    framework::File file(repositoryPath.c_str(), framework::File::modeReplace);
    WriteItemList(file, false);
    file.Close();
  } catch (const framework::Exception& error) {
    toolbox::LogToCurrent("Voyanta::SaveRepository", __LINE__, toolbox::LogError,
                          "The repository file could not be written: %s", error.GetErrorMessage().c_str());
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

void Voyanta::OnAppWebsite() { framework::Shell::OpenAddress(framework::LoadString(resources::IDS_WEBSITE_URL)); }

void Voyanta::OpenBesideProgram(const char* subfolder, const char* fileName) {
  std::unique_ptr<toolbox::Path> folder(toolbox::Path::ProgramFolder());
  folder->AddText("docs");
  if (subfolder != nullptr) folder->AddText(subfolder);
  std::unique_ptr<char, decltype(&std::free)> text(folder->ToText(false), &std::free);
  framework::Shell::OpenFile(text.get(), fileName);
}

void Voyanta::OnOptions() {
  OptionsDialog dialog(m_pMainWnd);
  static_cast<void>(dialog.DoModal());
}

void Voyanta::OnAppAbout() {
  AboutDialog dialog(m_pMainWnd);
  static_cast<void>(dialog.DoModal());
}
