#pragma once

namespace framework {

// Menu entries as assistive technology reads them. An entry's text carries its key after a
// tab, as the menu shows it ("&New\tCtrl+N"); Qt would read that whole text as the entry's
// name. Once installed, such an entry is named by its text alone ("New") and reports its
// key as its accelerator and as the key of its press action, so that a screen reader says
// "New, Ctrl+N". Nothing else changes: the key stays bound only where the frame binds it.
//
// Installs a factory of Qt's accessibility for the program's whole run; installing it again
// does nothing. The interfaces it makes belong to Qt's accessibility cache.
void InstallMenuAccessibility();

}  // namespace framework
