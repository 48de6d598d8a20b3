#include "ui/ItemDialog.h"

#include <QCheckBox>
#include <QCompleter>
#include <QLineEdit>
#include <QSet>
#include <QStringList>
#include <string>
#include <string_view>
#include <unordered_set>

#include "framework/base/Exceptions.h"
#include "framework/base/TextEncoding.h"
#include "resources/DialogResources.h"
#include "resources/ResourceIds.h"

ItemDialog::ItemDialog(Item& item, const char* preset, QWidget* parent)
    : Dialog(resources::kItemDialog, parent), item(item), preset(preset) {
  auto* box = static_cast<QCheckBox*>(GetDlgItem(resources::IDC_TAKE_ALONG));
  connect(box, &QCheckBox::clicked, this, &ItemDialog::OnTakeAlongClicked);
}

namespace {

QString Shown(const toolbox::String& text) {
  return framework::ToQString(text.Text(), static_cast<std::size_t>(text.Length()));
}

}  // namespace

void ItemDialog::SuggestGroups(const Repository& repository) {
  QStringList shown;
  QSet<QString> seen;
  // Most items share their group with others: a group's bytes are read once.
  std::unordered_set<std::string_view> seenBytes;
  for (int i = 0; i < repository.GetCount(); ++i) {
    const toolbox::String& group = repository.GetAt(i)->GetGroup();
    if (!seenBytes.emplace(group.Text(), static_cast<std::size_t>(group.Length())).second) continue;
    const QString text = Shown(group);
    if (text.isEmpty() || seen.contains(text)) continue;
    seen.insert(text);
    shown.append(text);
    suggestedGroups.push_back(group);
  }
  auto* field = static_cast<QLineEdit*>(GetDlgItem(resources::IDC_GROUP));
  // A list to pick from: completing inline would keep the case of the letters typed.
  auto* completer = framework::New<QCompleter>(shown, field);
  completer->setCaseSensitivity(Qt::CaseInsensitive);
  completer->setCompletionMode(QCompleter::PopupCompletion);
  field->setCompleter(completer);
}

bool ItemDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  // A screen reader names the dialog with the item it edits, as the fields show it.
  if (name.Length() > 0) {
    QString item = framework::ToQString(name.Text(), static_cast<std::size_t>(name.Length()));
    if (group.Length() > 0) item += ", " + framework::ToQString(group.Text(), static_cast<std::size_t>(group.Length()));
    setAccessibleDescription(item);
  }
  if (preset == nullptr) return true;
  auto* field = static_cast<QLineEdit*>(GetDlgItem(resources::IDC_QUANTITY));
  field->setFocus();
  const int length = static_cast<int>(field->text().length());
  if (*preset != '\0') {
    field->deselect();
    field->setCursorPosition(length);
  } else {
    field->setSelection(0, length);
  }
  return false;
}

void ItemDialog::DoDataExchange(framework::DataExchange& exchange) {
  if (!exchange.IsSaving()) {
    name = item.GetName();
    group = item.GetGroup();
    takeAlong = item.IsChecked() || preset != nullptr;
    quantity = !takeAlong ? toolbox::String() : preset != nullptr && *preset != '\0' ? toolbox::String(preset)
                                                                                      : item.GetQuantity();
  }
  if (DDX_Text(exchange, resources::IDC_NAME, name)) ReplaceControlCharacters(name);
  if (DDX_Text(exchange, resources::IDC_GROUP, group)) {
    ReplaceControlCharacters(group);
    // A group as the repository spells it takes its bytes, also where they are not UTF-8.
    const QString typed = Shown(group);
    for (const toolbox::String& known : suggestedGroups) {
      if (Shown(known) == typed) group = known;
    }
  }
  DDX_Check(exchange, resources::IDC_TAKE_ALONG, takeAlong);
  if (DDX_Text(exchange, resources::IDC_QUANTITY, quantity)) ReplaceControlCharacters(quantity);
  if (!exchange.IsSaving()) {
    GetDlgItem(resources::IDC_QUANTITY)->setEnabled(takeAlong);
    return;
  }
  item.SetName(name);
  item.SetGroup(group);
  item.SetChecked(takeAlong);
  item.SetQuantity(takeAlong ? quantity : toolbox::String());
}

void ItemDialog::OnTakeAlongClicked() {
  const bool checked = static_cast<QCheckBox*>(GetDlgItem(resources::IDC_TAKE_ALONG))->isChecked();
  GetDlgItem(resources::IDC_QUANTITY)->setEnabled(checked);
}

void ReplaceControlCharacters(toolbox::String& text) {
  std::string bytes(text.Text(), static_cast<std::size_t>(text.Length()));
  bool replaced = false;
  for (char& byte : bytes) {
    if (static_cast<unsigned char>(byte) >= 32) continue;
    byte = ' ';
    replaced = true;
  }
  if (replaced) text = bytes.c_str();
}
