#include "Program.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <sstream>

#include "support/Items.h"

namespace program {

ProgramTest::ProgramTest()
    : home("HOME", folder.Path()),
      configHome("XDG_CONFIG_HOME", folder.Path()),
      runtimeHome("XDG_RUNTIME_DIR", folder / "run") {
  SetArguments({});
}

ProgramTest::~ProgramTest() { app.reset(); }

void ProgramTest::SetArguments(std::vector<std::string> arguments) {
  commandLine = {Program()};
  commandLine.insert(commandLine.end(), arguments.begin(), arguments.end());
  argv.clear();
  for (std::string& argument : commandLine) argv.push_back(argument.data());
  argv.push_back(nullptr);
  processArguments.reset();
  processArguments.emplace(commandLine);
}

Voyanta& ProgramTest::Construct() {
  app.reset();
  app = std::make_unique<Voyanta>();
  app->SetArguments(static_cast<int>(commandLine.size()), argv.data());
  return *app;
}

bool ProgramTest::Start() { return Construct().InitInstance(); }

int ProgramTest::Run(const std::function<void()>& step) {
  Construct();
  // Timers bound to this object go with it, so none fires into a later test.
  QObject guard;
  QTimer::singleShot(0, &guard, [this, &step] {
    step();
    if (app->GetMainWnd() != nullptr) app->GetMainWnd()->close();
  });
  QTimer::singleShot(10000, &guard, [] { QCoreApplication::exit(3); });  // never hang the suite
  return framework::RunApplication(static_cast<int>(commandLine.size()), argv.data());
}

void ProgramTest::Finish() { app.reset(); }

toolbox::ConfigSection& ProgramTest::SavedConfig() {
  saved.Clear();
  EXPECT_TRUE(saved.LoadFile(ConfigFile().c_str())) << ConfigFile();
  return saved.GetRoot();
}

framework::FrameWindow& ProgramTest::Window() const { return *app->GetMainWnd(); }

void ProgramTest::Activate() const { support::ShowActive(Window()); }

MainView& ProgramTest::View() const { return *static_cast<MainView*>(Window().GetActiveView()); }

Document& ProgramTest::Trip() const { return *static_cast<Document*>(Window().GetActiveDocument()); }

void ProgramTest::AddItem(bool checked, const char* quantity, const char* name, const char* group) {
  support::AddItem(app->GetRepository(), checked, quantity, name, group);
}

std::vector<std::string> ProgramTest::RepositoryItems() const {
  std::vector<std::string> items;
  const Repository& repository = app->GetRepository();
  for (int i = 0; i < repository.GetCount(); ++i) {
    const Item* item = repository.GetAt(i);
    items.push_back(std::string(item->IsChecked() ? "1" : "0") + "\t" + item->GetQuantity().Text() + "\t" +
                    item->GetName().Text() + "\t" + item->GetGroup().Text() + "\t");
  }
  return items;
}

std::vector<std::string> ProgramTest::Lines(const std::string& path) {
  std::istringstream in(scratch::ReadFile(path));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> ProgramTest::TemporaryFiles() const {
  std::vector<std::string> found;
  for (const std::string& name : folder.Entries()) {
    if (name.ends_with(".tmp") || name.ends_with(".new")) found.push_back(name);
  }
  return found;
}

}  // namespace program
