#pragma once

// Helpers of the tests that touch the file system, the environment and the process's
// arguments: each restores what it changed when it goes out of scope.

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "toolbox/system/ProcessArguments.h"

namespace scratch {

// A new empty folder below the system's temporary folder, removed with its content.
class Folder {
 public:
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "voyanta-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) != nullptr) path = name.data();
  }
  ~Folder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  // The folder's path, or the path of a name inside it.
  std::string operator/(const std::string& name) const { return path + "/" + name; }
  const std::string& Path() const { return path; }

  // The names of the folder's entries, hidden ones included.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path)) names.push_back(entry.path().filename());
    return names;
  }

 private:
  std::string path;
};

// Sets or (with nullopt) unsets an environment variable for the lifetime of the object.
class Environment {
 public:
  Environment(const char* name, std::optional<std::string> value) : name(name) {
    if (const char* old = getenv(name)) previous = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~Environment() {
    if (previous) {
      setenv(name, previous->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;

 private:
  const char* name;
  std::optional<std::string> previous;
};

// Gives the process another command line; the real one is read back afterwards.
class Arguments {
 public:
  explicit Arguments(const std::vector<std::string>& arguments) {
    std::vector<const char*> vector;
    for (const std::string& argument : arguments) vector.push_back(argument.c_str());
    toolbox::ProcessArguments::Set(static_cast<int>(vector.size()), vector.data());
  }
  ~Arguments() { toolbox::ProcessArguments::ReadFromSystem(); }
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;
};

// The number of a process that has ended, for names that hold a process number.
inline pid_t EndedProcess() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace scratch
