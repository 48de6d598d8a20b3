// The program. The application object and the logger are the process's two global objects,
// defined here in this order: the application object (and with it the configuration) exists
// before the logger, and at exit the logger goes first, then the application object. The
// files are written before, in the exit processing, while the logger and Qt are still there
// to report a failure.

#include <QApplication>

#include "app/Voyanta.h"
#include "framework/base/Translation.h"
#include "framework/docview/Application.h"
#include "toolbox/system/Logger.h"

Voyanta theApp;
toolbox::Logger theLogger;

int main(int argc, char** argv) {
  framework::ChoosePlatform(argc, argv);
  QApplication qtApplication(argc, argv);
  // Docks and task bars match the windows to the launcher entry by this name.
  QApplication::setDesktopFileName(VOYANTA_APP_ID);
  // Texts, messages on standard error included, follow the desktop's language from here on.
  framework::InstallTranslations(QCoreApplication::applicationDirPath());
  return framework::RunApplication(argc, argv);
}
