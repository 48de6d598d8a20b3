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
// see toolbox::FileLock) is the running instance. It listens on a local socket named by a
// hash of the file's real path: in the user's runtime folder when that is the user's alone,
// else in Linux's abstract namespace under the user's id. A later start on the same file
// hands its request (a text, such as a document to open) over through that socket and
// ends. Both ends check that the other runs as the same user.
//
// Where no lock can be had (a file system without locks; a lock file the user may not make
// or open, while nobody else may write the data file, or the user may not write it either),
// the instance runs unguarded: it counts as claimed, a warning in the log says that a second
// copy cannot be told apart, and two copies may run. A user who may write a data file that
// others may write too never runs unguarded on it: the lock file must serve, or Claim fails.
//
// Owned by the application object for the whole run. The lock lasts as long as the object,
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

  SingleInstance();
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Takes the file's lock without waiting; the file is created empty when missing.
  [[nodiscard]] Outcome Claim(const char* path);
  bool IsClaimed() const { return lock.IsHeld() || unguarded; }
  // The system's error number when Claim failed (see toolbox/Files.h), and the file it
  // failed on: the data file or its lock file.
  int GetError() const { return claimError; }
  const std::string& GetFailedPath() const { return failedPath; }
  // When Claim found the file held by another user's process: that user, as the lock file
  // names them; empty when the holder is this user or is not known.
  std::string GetOtherHolder() const;
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

  toolbox::FileLock lock;
  bool unguarded = false;  // claimed without a lock
  int claimError = 0;
  std::string failedPath;
  std::string path;  // the file's real path, once claimed or found held
  std::unique_ptr<QLocalServer> server;
  Handler handler;
};

}  // namespace framework
