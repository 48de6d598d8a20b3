#pragma once

#include <QString>

namespace framework {

// The program's texts are English in its tables, each marked for the translation tools with
// QT_TRANSLATE_NOOP(context, text) and shown through Translate with the same context: one
// context for each kind of table (see the constants below). The translators that start-up
// installs decide the language; with none, or none that has the text, the English is shown.

inline constexpr const char* kStringTableContext = "StringTable";             // the program's strings
inline constexpr const char* kFrameworkStringsContext = "FrameworkStrings";   // the framework's messages
inline constexpr const char* kMenuContext = "Menu";                           // menu titles and entries
inline constexpr const char* kDialogContext = "Dialog";                       // dialog captions and controls
inline constexpr const char* kToolBarContext = "ToolBar";                     // names of tool-bar buttons
inline constexpr const char* kDocStringContext = "DocString";                 // shown fields of the template string

// The text in the user's language: the source itself (the same pointer, its bytes untouched)
// when no translation has it, else the translation as UTF-8. A translation is kept for the
// whole run, so the pointer stays valid as the source's does; safe on any thread. Null stays
// null.
const char* Translate(const char* context, const char* text);

// Installs the program's translation (voyanta_<language>.qm in the program's folder) for the
// first of the desktop's languages that has one, with Qt's own for that language
// (qtbase_<language>.qm from Qt's translations folder) where Qt has it. The search ends at
// English, the program's own language. Returns the language as the desktop names it
// ("de-DE", "fr"), empty for English. Call once, after the application object is made
// and before any window; the translators live as long as it.
QString InstallTranslations(const QString& programFolder);

}  // namespace framework
