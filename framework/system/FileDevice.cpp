#include "framework/system/FileDevice.h"

#include <cerrno>
#include <cstring>

#include "framework/base/Exceptions.h"

namespace framework {

namespace {

constexpr qsizetype kChunk = 64 * 1024;

}  // namespace

FileDevice::FileDevice(File& file) : file(file) { static_cast<void>(open(QIODevice::WriteOnly)); }

qint64 FileDevice::readData(char* /*data*/, qint64 /*maxSize*/) { return -1; }

qint64 FileDevice::writeData(const char* data, qint64 size) {
  if (failure) return -1;
  try {
    Allocating([&] { gathered.append(data, size); });
  } catch (const MemoryException&) {
    failure = std::strerror(ENOMEM);
    return -1;
  }
  if (gathered.size() >= kChunk) Flush();
  return failure ? -1 : size;
}

void FileDevice::Flush() {
  if (failure || gathered.isEmpty()) return;
  try {
    Allocating([&] { file.Write(gathered.constData(), static_cast<std::size_t>(gathered.size())); });
  } catch (const FileException& error) {
    failure = error.GetReason();
  } catch (const MemoryException&) {
    failure = std::strerror(ENOMEM);
  }
  gathered.resize(0);  // keeps its room for the next chunk
}

}  // namespace framework
