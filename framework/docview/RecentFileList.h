#pragma once

#include <string>
#include <vector>

namespace framework {

class CmdUI;

// The most recently used documents, most recent first, shown as numbered entries of the
// File menu in place of a placeholder entry (whose command id is the first entry's).
class RecentFileList {
 public:
  // start: offset of the menu numbering; size: the number of slots; maxDisplayLength: the
  // length to which a path from another folder is shortened in the menu.
  RecentFileList(unsigned start, int size, int maxDisplayLength = kDefaultDisplayLength);
  RecentFileList(const RecentFileList&) = delete;
  RecentFileList& operator=(const RecentFileList&) = delete;
  virtual ~RecentFileList();

  static constexpr int kDefaultDisplayLength = 30;

  int GetSize() const { return static_cast<int>(names.size()); }
  // A slot: a full path, or empty when free.
  std::string& operator[](int index) { return names.at(static_cast<std::size_t>(index)); }
  const std::string& operator[](int index) const { return names.at(static_cast<std::size_t>(index)); }

  // Removes a slot; the later ones move up and the last becomes free.
  virtual void Remove(int index);
  // Puts the path, made absolute, into slot 0; an equal path leaves its slot, otherwise the
  // last slot is dropped.
  virtual void Add(const char* path);
  // The menu text of a slot (false for a free slot): the file name alone for a file in
  // currentFolder (given with its trailing "/", currentFolderLength bytes long), otherwise
  // the path shortened to the maximum display length as "/.../folder/name"; when even that
  // does not fit, the file name, or nothing unless atLeastName.
  virtual bool GetDisplayName(std::string& name, int index, const char* currentFolder, int currentFolderLength,
                              bool atLeastName = true) const;
  // Replaces the placeholder entry of the CmdUI by one entry per used slot (its number,
  // then its display name), or shows the placeholder disabled when the list is empty.
  virtual void UpdateMenu(CmdUI& ui);
  // What the menu entry of a slot begins with: its number with the access key and a blank.
  // Counted from the start offset: "&1 " to "&9 ", then "1&0 ", then plain numbers up to 16.
  virtual std::string GetEntryNumber(int index) const;
  virtual void ReadList();
  virtual void WriteList();

  // The path shortened to at most maxLength bytes, keeping at least the file name when
  // atLeastName (see GetDisplayName).
  static std::string AbbreviatePath(const std::string& path, int maxLength, bool atLeastName);

 protected:
  std::vector<std::string> names;
  unsigned m_nStart;
  int m_nMaxDisplayLength;
  std::string m_strOriginal;  // the placeholder's text
};

}  // namespace framework
