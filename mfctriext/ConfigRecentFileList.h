#pragma once

#include "framework/RecentFileList.h"
#include "toolbox/config/ConfigSection.h"

namespace mfctriext {

// The recent-file list kept in the program's configuration: one text parameter per slot,
// named "0", "1", ... (slot 0 the most recent), an empty text for a free slot. The menu
// entries are numbered "&1 " upwards from the start offset.
class ConfigRecentFileList : public framework::RecentFileList {
 public:
  // The section belongs to the configuration, which outlives the list.
  ConfigRecentFileList(toolbox::ConfigSection& section, unsigned start, int size, int maxDisplayLength);

  // Fills the slots from the section, creating empty parameters for missing ones.
  void ReadList() override;
  // Stores every slot, the free ones as empty texts.
  void WriteList() override;
  void UpdateMenu(framework::CmdUI& ui) override;

 private:
  toolbox::ConfigSection& section;
};

}  // namespace mfctriext
