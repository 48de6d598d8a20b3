// The program. The application object and the logger are the process's two global objects,
// defined here in this order: the application object (and with it the configuration) exists
// before the logger, and at exit the logger goes first, then the application object saves
// the configuration.

#include <QApplication>
#include <csignal>

#include "app/Voyanta.h"
#include "framework/Application.h"
#include "toolbox/Logger.h"

Voyanta theApp;
toolbox::Logger theLogger;

int main(int argc, char** argv) {
  framework::ChoosePlatform(argc, argv);
  QApplication qtApplication(argc, argv);
  // Docks and task bars match the windows to the launcher entry by this name.
  QApplication::setDesktopFileName(VOYANTA_APP_ID);
  const int status = framework::RunApplication(argc, argv);
  // The program is on its way out: a further termination signal must not cut short the
  // saving of the configuration that the application object's destruction still does.
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) std::signal(signal, SIG_IGN);
  return status;
}
