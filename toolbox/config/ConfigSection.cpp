#include "toolbox/config/ConfigSection.h"

#include <memory>

#include "toolbox/base/Memory.h"
#include "toolbox/base/OwnedPut.h"
#include "toolbox/base/PointeredList.h"

namespace toolbox {

namespace {

const char* Name(const PointeredListItem* item) {
  return static_cast<const char*>(item->GetPayload());
}

}  // namespace

ConfigSection::ConfigSection(const char* name) : name(name) {}

bool ConfigSection::GetBool(const char* parameterName, bool defaultValue) {
  ConfigParameter* parameter = parameters.Get(parameterName);
  if (parameter == nullptr) {
    parameter = PutOwned(parameters, parameterName, NewOrThrow<ConfigParameter>(defaultValue));
  }
  return parameter->GetBool();
}

std::int32_t ConfigSection::GetLong(const char* parameterName, std::int32_t defaultValue) {
  ConfigParameter* parameter = parameters.Get(parameterName);
  if (parameter == nullptr) {
    parameter = PutOwned(parameters, parameterName, NewOrThrow<ConfigParameter>(defaultValue));
  }
  return parameter->GetLong();
}

const char* ConfigSection::GetText(const char* parameterName, const char* defaultValue) {
  ConfigParameter* parameter = parameters.Get(parameterName);
  if (parameter == nullptr) {
    parameter = PutOwned(parameters, parameterName, NewOrThrow<ConfigParameter>(defaultValue));
  }
  return parameter->GetText();
}

ConfigParameter& ConfigSection::GetParameter(const char* parameterName) {
  ConfigParameter* parameter = parameters.Get(parameterName);
  if (parameter == nullptr) {
    parameter = PutOwned(parameters, parameterName, NewOrThrow<ConfigParameter>());
  }
  return *parameter;
}

ConfigSection& ConfigSection::GetSubsection(const char* sectionName) {
  ConfigSection* section = subsections.Get(sectionName);
  if (section == nullptr) {
    section = PutOwned(subsections, sectionName, NewOrThrow<ConfigSection>(sectionName));
  }
  return *section;
}

void ConfigSection::RemoveSubsection(const char* sectionName) {
  // Taken out before it is deleted, so the name may be the subsection's own.
  delete subsections.Remove(sectionName);
}

bool ConfigSection::Write(Writer& writer, int depth) const {
  std::unique_ptr<PointeredList> parameterNames = parameters.Keys();
  std::unique_ptr<PointeredList> sectionNames = subsections.Keys();
  // Stable: names equal but for letter case keep the order of the map's keys.
  parameterNames->Sort(CompareTextsIgnoreCase);
  sectionNames->Sort(CompareTextsIgnoreCase);

  bool ok = true;
  for (PointeredListItem* item = parameterNames->GetHead(); ok && item != nullptr;
       item = item->GetNext()) {
    ok = WriteIndent(writer, depth) && writer.Write("<") && WriteEscaped(writer, Name(item)) &&
         writer.Write(">") && parameters.Get(Name(item))->Write(writer) && writer.Write("</>") &&
         writer.Write("\n");
  }
  if (ok && parameterNames->GetCount() > 0 && sectionNames->GetCount() > 0) {
    ok = writer.Write("\n");
  }
  for (PointeredListItem* item = sectionNames->GetHead(); ok && item != nullptr;
       item = item->GetNext()) {
    ok = (item == sectionNames->GetHead() || writer.Write("\n")) && WriteIndent(writer, depth) &&
         writer.Write("<") && WriteEscaped(writer, Name(item)) && writer.Write(">\n") &&
         subsections.Get(Name(item))->Write(writer, depth + 1) && WriteIndent(writer, depth) &&
         writer.Write("</") && WriteEscaped(writer, Name(item)) && writer.Write(">\n");
  }
  return ok;
}

}  // namespace toolbox
