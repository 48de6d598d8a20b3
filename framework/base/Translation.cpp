#include "framework/base/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <mutex>
#include <set>
#include <string>

#include "framework/base/Exceptions.h"

namespace framework {

namespace {

// The translations handed out so far. A set's elements never move, so the pointers into
// them stay valid while further ones are added.
std::mutex translatedGuard;
std::set<std::string>& Translated() {
  static std::set<std::string> translated;
  return translated;
}

// Loads base_<language>.qm from the folder and installs it; false when there is none.
[[nodiscard]] bool Install(const QString& language, const QString& base, const QString& folder) {
  auto* translator = New<QTranslator>(QCoreApplication::instance());
  if (translator->load(QLocale(language), base, QStringLiteral("_"), folder) &&
      QCoreApplication::installTranslator(translator)) {
    return true;
  }
  delete translator;
  return false;
}

}  // namespace

const char* Translate(const char* context, const char* text) {
  if (text == nullptr || *text == '\0') return text;
  const QString translation = QCoreApplication::translate(context, text);
  return Allocating([&]() -> const char* {
    const std::string bytes = translation.toStdString();
    if (bytes == text) return text;
    const std::lock_guard<std::mutex> lock(translatedGuard);
    return Translated().insert(bytes).first->c_str();
  });
}

QString InstallTranslations(const QString& programFolder) {
  for (const QString& language : QLocale::system().uiLanguages()) {
    // English is the program's own language: it ends the search, so that an English desktop
    // never shows a language listed after it.
    if (language.startsWith(QLatin1String("en")) || language == QLatin1String("C")) return {};
    if (!Install(language, QStringLiteral("voyanta"), programFolder)) continue;
    // Qt's dialogs and buttons in the same language, where Qt has it; else Qt's English.
    static_cast<void>(Install(language, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    return language;
  }
  return {};
}

}  // namespace framework
