// The program. The application object and the logger are the process's two global objects,
// defined here in this order: the application object (and with it the configuration) exists
// before the logger, and at exit the logger goes first, then the application object saves
// the configuration.

#include <QApplication>

#include "app/Voyanta.h"
#include "framework/Application.h"
#include "toolbox/Logger.h"

Voyanta theApp;
toolbox::Logger theLogger;

int main(int argc, char** argv) {
  QApplication qtApplication(argc, argv);
  QApplication::setDesktopFileName("voyanta");
  return framework::RunApplication(argc, argv);
}
