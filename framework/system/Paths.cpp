#include "framework/system/Paths.h"

#include <unistd.h>

#include <climits>
#include <filesystem>

namespace framework {

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer) == nullptr) return "/";
  std::string folder = buffer;
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string FullPath(const std::string& path) {
  if (path.empty()) return path;
  const std::string absolute = path.front() == '/' ? path : CurrentFolder() + path;
  std::string normal = std::filesystem::path(absolute).lexically_normal().string();
  if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool HasExtension(const std::string& path) {
  const std::string name = FileNameOf(path);
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos && dot > 0 && dot + 1 < name.size();
}

}  // namespace framework
