#pragma once

#include <string>

#include "framework/docview/RecentFileList.h"
#include "toolbox/config/ConfigSection.h"

namespace mfctriext {

// The recent-file list kept in the program's configuration: one text parameter per slot,
// named "0", "1", ... (slot 0 the most recent), an empty text for a free slot. The menu
// entries are numbered "&1 " upwards from the start offset, the tenth "&0 ".
class ConfigRecentFileList : public framework::RecentFileList {
 public:
  // The section belongs to the configuration, which outlives the list.
  ConfigRecentFileList(toolbox::ConfigSection& section, unsigned start, int size, int maxDisplayLength);

  // Fills the slots from the section, creating empty parameters for missing ones.
  void ReadList() override;
  // Stores every slot, the free ones as empty texts.
  void WriteList() override;
  // The slot's number after the start offset, counted modulo 10: "&1 " to "&9 ", "&0 ".
  std::string GetEntryNumber(int index) const override;

 private:
  toolbox::ConfigSection& section;
};

}  // namespace mfctriext
