#pragma once

#include "framework/system/File.h"

namespace framework {

// A file coupled with a direction, handed to a document's Serialize. The document reads
// and writes the file itself through GetFile.
class Archive {
 public:
  enum Mode { load, store };

  Archive(File* file, Mode mode) : file(file), mode(mode) {}

  bool IsLoading() const { return mode == load; }
  bool IsStoring() const { return mode == store; }
  File* GetFile() const { return file; }

 private:
  File* file;
  Mode mode;
};

}  // namespace framework
