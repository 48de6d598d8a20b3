#pragma once

#include <QByteArray>
#include <QIODevice>
#include <optional>
#include <string>

#include "framework/system/File.h"

namespace framework {

// The writing side of an open File as a Qt device, so that a writer of Qt's (the PDF
// writer) writes straight into the file as it goes: into a replace's temporary file, which
// Close then commits. The many small writes of such a writer are gathered into chunks of
// 64 KB; Flush writes what is gathered. It does not own the file, which must outlive it,
// and it never closes or commits it.
//
// Failure: Qt's writers do not look at what a write answers, so the device remembers the
// first failure (the file layer's reason; running out of memory, as a replace in place
// keeps the bytes until Close, is one too) and refuses every later write; the caller asks
// GetFailure after the last Flush, before it commits the file.
class FileDevice : public QIODevice {
 public:
  // Open for writing from the start.
  explicit FileDevice(File& file);

  bool isSequential() const override { return true; }
  // Writes what is gathered into the file.
  void Flush();
  // Why a write failed, in the system's words; nothing while every write went through.
  const std::optional<std::string>& GetFailure() const { return failure; }

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char* data, qint64 size) override;

 private:
  File& file;
  QByteArray gathered;
  std::optional<std::string> failure;
};

}  // namespace framework
