#pragma once

#include <cstdint>

#include "toolbox/base/String.h"
#include "toolbox/base/StringKeyHashMap.h"
#include "toolbox/config/ConfigParameter.h"
#include "toolbox/config/Writer.h"

namespace toolbox {

// A named node of the configuration tree: parameters and subsections, each keyed by a name
// compared byte for byte with letter case counting. A parameter and a subsection may share a
// name. The section owns both; deleting it deletes its whole subtree.
//
// Reading a setting never fails for lack of it: the typed readings create a missing
// parameter with the default, so every setting the program has read once is saved.
class ConfigSection {
 public:
  explicit ConfigSection(const char* name);
  ConfigSection(const ConfigSection&) = delete;
  ConfigSection& operator=(const ConfigSection&) = delete;

  const char* GetName() const { return name.Text(); }

  // The parameter's reading; a missing parameter is first created holding the default, as
  // a boolean, an integer or (a copy of) a text. GetText of an existing integer parameter
  // therefore reads "".
  bool GetBool(const char* name, bool defaultValue);
  std::int32_t GetLong(const char* name, std::int32_t defaultValue);
  const char* GetText(const char* name, const char* defaultValue);

  // The parameter, created empty (kind none) if missing; for writing a setting with
  // SetBool, SetLong or SetText.
  ConfigParameter& GetParameter(const char* name);
  // The subsection, created empty if missing.
  ConfigSection& GetSubsection(const char* name);

  // Look-ups that create nothing: null when absent.
  const ConfigParameter* FindParameter(const char* name) const { return parameters.Get(name); }
  const ConfigSection* FindSubsection(const char* name) const { return subsections.Get(name); }
  bool HasParameter(const char* name) const { return FindParameter(name) != nullptr; }
  int GetParameterCount() const { return parameters.GetCount(); }
  int GetSubsectionCount() const { return subsections.GetCount(); }

  // Deletes the subsection and its subtree; nothing if there is none. The name may be the
  // subsection's own.
  void RemoveSubsection(const char* name);
  void ClearParameters() { parameters.RemoveAndDeleteAll(); }
  void ClearSubsections() { subsections.RemoveAndDeleteAll(); }

  // Writes the section's contents, one element per line indented by depth TABs: the
  // parameters, then (after an empty line when there are both) the subsections with an empty
  // line between them, each group ordered by name with the letters A to Z folded to a to z.
  // The section's own tags are its parent's business. Stops at the first failed write.
  [[nodiscard]] bool Write(Writer& writer, int depth) const;

 private:
  String name;
  StringKeyHashMap<ConfigParameter> parameters;
  StringKeyHashMap<ConfigSection> subsections;
};

}  // namespace toolbox
