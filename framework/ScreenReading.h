#pragma once

namespace framework {

// Installs, once per process, the program's own readings for screen readers where Qt's fall
// short, each passing Qt's reading on as it is but for that:
// - The list control is a table (read as one: "table with N rows"), and each of its cells
//   with a check mark offers the action "toggle", which is how a screen reader knows that
//   the check mark is the thing to say when it changes (Qt names it "Toggle", on every cell).
// - A one-line text field answers for the word or sentence at the end of its text, where
//   Qt's reading never returns.
//
// Each reading wraps Qt's, which it owns; the list's cells' readings wrap Qt's cells and
// live until the list's rows go, when Qt lets its cells go too. Failure: where memory runs
// out, Qt's own reading stands in.
void InstallScreenReading();

}  // namespace framework
