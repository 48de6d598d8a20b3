#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "toolbox/system/FileLock.h"

class QLocalServer;
class QLocalSocket;

namespace framework {

// One running instance of the program per data file: the process that holds the file's
// lock (the file's name + ".lock" beside it, open to exactly those who may write the file,
// see toolbox::FileLock) is the running instance. A later start on the same file hands its
// request (a text, such as a document to open) over through a local socket and ends; both
// ends check that the other runs as the same user.
//
// The user's own copies also find each other through a folder of the user's own: the
// runtime folder where it is the user's alone, else the fallback folder given (the settings
// folder) where nobody else may write in it. There the instance holds a lock of its own,
// named by a hash of the file's real path (the key), and listens on a socket of that name,
// which no other user can take first. The own lock is taken before the file's lock, so a
// start that finds the file's lock held knows from the own lock whether one of the user's
// copies here holds it (a hand-over) or a copy that takes no request does: another user's,
// whom the lock file names where that can be believed, or one of the user's own that keeps
// its own lock elsewhere (another runtime folder). Where the user has no such folder, the socket's name is one of Linux's abstract
// namespace, open to every user, and the lock file's record decides who holds the file.
//
// Where the file's lock cannot be had (a file system without locks; a lock file the user
// may not make or open, while nobody else may write the data file, or the user may not
// write it either), the own lock alone guards the user's copies; without that too the
// instance runs unguarded: it counts as claimed, IsUnguarded tells so, and two copies may
// run. A user who may write a data file that others may write too never runs without the
// file's lock: the lock file must serve, or Claim fails.
//
// Owned by the application object for the whole run. The locks last as long as the object,
// or as the process (see toolbox::FileLock: a killed instance never blocks the next
// start). The listening socket is a Qt object: StopListening, or the object's destruction,
// must come before the QApplication goes.
//
// Failures are results: Claim tells why this process did not get the file; Listen and
// HandOver answer false or failed (and log why) when no request can pass.
class SingleInstance {
 public:
  enum Outcome {
    claimed,     // this process holds the file: it is the running instance
    running,     // another process holds it
    handedOver,  // the running instance has taken the request
    failed,      // the file cannot be locked (GetError tells why), or nothing took the request
  };
  // Receives a later start's request, from the event loop. A handler that cannot take it
  // yet (a question to the user is open) answers false: it is offered again a moment later.
  using Handler = std::function<bool(const std::string& request)>;

  // fallbackFolder: the user's own folder where the runtime folder will not do; empty for none.
  explicit SingleInstance(std::string fallbackFolder = {});
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Takes the file's lock without waiting; the file is created empty when missing.
  [[nodiscard]] Outcome Claim(const char* path);
  bool IsClaimed() const { return lock.IsHeld() || ownLock.IsHeld() || unguarded; }
  // Claimed without any lock: a second copy of this user's cannot be told apart.
  bool IsUnguarded() const { return unguarded; }
  // The system's error number when Claim failed (see toolbox/Files.h), and the file it
  // failed on: the data file or its lock file.
  int GetError() const { return claimError; }
  const std::string& GetFailedPath() const { return failedPath; }
  // When Claim found the file held: whether the holder is a copy of the user's that takes
  // requests (HandOver); and another user who holds it, as the lock file names them, shown as
  // text (empty when not known or not believed).
  bool CanHandOver() const { return handOver; }
  const std::string& GetOtherHolder() const { return otherHolder; }
  // 32 hexadecimal digits that stand for the file's real path, once claimed or found held:
  // the socket's name, and the name of what the program keeps of the file elsewhere.
  std::string GetKey() const;

  // For the holder: takes the requests of later starts. False when it cannot listen (another
  // user's process has the name, no socket): later starts then cannot hand over and say so.
  [[nodiscard]] bool Listen(Handler onRequest);
  // Takes no further request and removes the socket; the lock stays.
  void StopListening();

  // Hands the request over to the process that holds the file (after Claim answered
  // running): handedOver once that process has it. An instance that is still starting has
  // a few seconds to listen; when the holder ends meanwhile, this process takes the file
  // itself and answers claimed. Failed when no instance took the request, at once when
  // another user's process has the name.
  [[nodiscard]] Outcome HandOver(const std::string& request);

 private:
  void Accept();
  void Receive(QLocalSocket* socket);
  void Offer(const std::string& request);
  // The user's own folder for the lock and the socket, or empty; see the class comment.
  std::string OwnFolder() const;
  // Makes the file when missing and looks at it through one descriptor: false (with the
  // error) when it cannot be opened; othersMayWrite when the user may write it and others may too.
  bool OpenDataFile(const char* filePath, bool& othersMayWrite);
  // Takes the own lock: acquired, held by a copy of the user's, or neither (logged).
  toolbox::FileLock::Result ClaimOwnLock();
  // Takes the file's lock, the own lock being held or not to be had.
  Outcome ClaimFileLock(const char* filePath, bool othersMayWrite);
  // Who holds the file's lock, when it was found held.
  void LearnHolder(const char* lockPath);

  std::string fallbackFolder;
  toolbox::FileLock ownLock;
  toolbox::FileLock lock;
  bool unguarded = false;  // claimed without a lock
  bool handOver = true;
  std::string otherHolder;
  int folderDescriptor = -1;  // the own folder, where its path is too long for a socket's
  int claimError = 0;
  std::string failedPath;
  std::string path;  // the file's real path, once claimed or found held
  std::unique_ptr<QLocalServer> server;
  Handler handler;
};

}  // namespace framework
