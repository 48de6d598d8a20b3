#include "mfctriext/ConfigRecentFileList.h"

#include <cstdio>
#include <string>

#include "toolbox/config/ConfigParameter.h"

namespace mfctriext {

namespace {

std::string SlotName(int index) {
  char name[16];
  std::snprintf(name, sizeof name, "%d", index);
  return name;
}

}  // namespace

ConfigRecentFileList::ConfigRecentFileList(toolbox::ConfigSection& section, unsigned start, int size,
                                           int maxDisplayLength)
    : RecentFileList(start, size, maxDisplayLength), section(section) {}

void ConfigRecentFileList::ReadList() {
  for (int i = 0; i < GetSize(); ++i) (*this)[i] = section.GetText(SlotName(i).c_str(), "");
}

void ConfigRecentFileList::WriteList() {
  for (int i = 0; i < GetSize(); ++i) section.GetParameter(SlotName(i).c_str()).SetText((*this)[i].c_str());
}

std::string ConfigRecentFileList::GetEntryNumber(int index) const {
  char number[16];
  std::snprintf(number, sizeof number, "&%u ", (static_cast<unsigned>(index) + m_nStart + 1) % 10);
  return number;
}

}  // namespace mfctriext
