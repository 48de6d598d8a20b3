#pragma once

#include <vector>

#include "core/Item.h"
#include "framework/dialogs/Dialog.h"
#include "toolbox/base/String.h"

// "Edit Item and Quantity": the name, group, take-along mark and quantity of one item. OK
// writes the fields into the item; Cancel, Escape and closing the window leave it exactly
// as it was. Neither the item nor the preset is owned; both must outlive the dialog, which
// lives on its caller's stack for one run of DoModal.
//
// The quantity preset opens the dialog ready for a quantity: the take-along box checked and
// the focus in the quantity field, which holds the whole current quantity selected (the
// empty preset, so that typing replaces it) or just the preset's text with the caret after
// it (a digit key, so that typing goes on from it). Without a preset (null) the dialog
// shows the item as it is and starts in the name field.
//
// Fields the user did not touch keep their bytes exactly, however long. A control character
// typed or pasted into a field (a tab, a line break, a NUL) becomes a blank: the item list
// files separate fields by tabs and items by line feeds.
class ItemDialog : public framework::Dialog {
 public:
  ItemDialog(Item& item, const char* preset, QWidget* parent = nullptr);

  // As the user types a group, the field offers the groups of the repository's items that
  // begin with the text typed, ignoring case, each spelled as the repository has it, so
  // that one group does not become two that differ in case. Only a suggestion the user
  // picks replaces the text; it keeps the repository's bytes. The groups are copied: the
  // repository need not outlive the call. Throws MemoryException when memory runs out.
  void SuggestGroups(const Repository& repository);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(framework::DataExchange& exchange) override;

 private:
  // The quantity field is enabled exactly while the box is checked; its text stays.
  void OnTakeAlongClicked();

  Item& item;
  const char* preset;
  toolbox::String name;
  toolbox::String group;
  toolbox::String quantity;
  bool takeAlong = false;
  std::vector<toolbox::String> suggestedGroups;  // each spelling once, in repository order
};

// Turns every byte below 32 (tab, line feed, carriage return and the other control
// characters) into a blank.
void ReplaceControlCharacters(toolbox::String& text);
