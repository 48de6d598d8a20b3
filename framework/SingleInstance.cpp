#include "framework/SingleInstance.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>

#include "framework/Exceptions.h"
#include "framework/Paths.h"
#include "toolbox/Files.h"
#include "toolbox/LogSink.h"

namespace framework {

namespace {

// A request travels as its length in four bytes (big-endian), then its bytes; the running
// instance answers with one byte once it has taken it.
constexpr qsizetype kLengthBytes = 4;
constexpr char kTaken = '\x06';
// A request is one path: anything longer is not one of ours.
constexpr quint32 kLongestRequest = 64 * 1024;
// How long a later start waits for an instance that is still starting, and for an answer.
constexpr auto kStartingTime = std::chrono::seconds(3);
constexpr auto kRetryPause = std::chrono::milliseconds(100);
constexpr int kAnswerMilliseconds = 10000;
// How soon a request that the handler could not take yet is offered again.
constexpr auto kOfferAgain = std::chrono::milliseconds(250);

// The lock file cannot be made or opened where the user may not (a program installed in a
// shared folder with a repository of the user's).
bool CannotMake(int error) { return error == EACCES || error == EPERM || error == EROFS; }

// Whether the user may write the file, and somebody else may too: then two of them could
// write over each other's items, and a run without the lock would let them.
bool WrittenByOthersToo(const char* path) {
  struct stat info;
  if (stat(path, &info) != 0 || faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) != 0) return false;
  return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 || (info.st_uid != geteuid() && (info.st_mode & S_IWUSR) != 0);
}

bool Send(QLocalSocket& socket, const std::string& request) {
  QByteArray frame(kLengthBytes, '\0');
  qToBigEndian(static_cast<quint32>(request.size()), frame.data());
  frame.append(request.data(), static_cast<qsizetype>(request.size()));
  socket.write(frame);
  socket.flush();
  // Whatever did not fit goes out while waiting.
  while (socket.bytesAvailable() < 1) {
    if (!socket.waitForReadyRead(kAnswerMilliseconds)) return false;
  }
  char answer = 0;
  return socket.getChar(&answer) && answer == kTaken;
}

}  // namespace

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance() = default;

SingleInstance::Outcome SingleInstance::Claim(const char* filePath) {
  // The data file itself may be readable by others, who could then hold a lock on it: the
  // lock has a file of its own beside it that only the user may open.
  int error = 0;
  failedPath = filePath;
  const int data = toolbox::OpenFile(filePath, O_RDONLY | O_CREAT, error);
  if (data < 0) {
    claimError = error;
    return failed;
  }
  close(data);
  const std::string lockPath = std::string(filePath) + ".lock";
  failedPath = lockPath;
  toolbox::FileLock::Result result = lock.Acquire(lockPath.c_str(), 0, filePath);
  unguarded = false;
  claimError = lock.GetError();
  const bool mayGoUnguarded = CannotMake(claimError) && !WrittenByOthersToo(filePath);
  if (result == toolbox::FileLock::unsupported || (result == toolbox::FileLock::failed && mayGoUnguarded)) {
    toolbox::LogToCurrent("SingleInstance::Claim", __LINE__, toolbox::LogWarn,
                          "%s cannot be locked (%s): a second copy of the program on %s cannot be told apart",
                          lockPath.c_str(), toolbox::DescribeFileError(claimError), filePath);
    unguarded = true;
    result = toolbox::FileLock::acquired;
  }
  if (result == toolbox::FileLock::failed) return failed;
  // The file exists now: a link or a second spelling of the path names the same instance.
  char real[PATH_MAX];
  path = realpath(filePath, real) != nullptr ? real : filePath;
  return result == toolbox::FileLock::acquired ? claimed : running;
}

std::string SingleInstance::GetOtherHolder() const {
  if (lock.GetHolderId() < 0 || lock.GetHolderId() == static_cast<long>(geteuid())) return {};
  return lock.GetHolder().Text();
}

QString SingleInstance::SocketName() const {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) return {};
  // Short whatever the path: a socket's path has about 100 bytes, the runtime folder's
  // included, and a name of a few long letters would pass that.
  return folder + '/' + QString::fromStdString(GetKey());
}

std::string SingleInstance::GetKey() const {
  return QCryptographicHash::hash(QByteArray::fromStdString(path), QCryptographicHash::Sha256)
      .toHex()
      .left(32)
      .toStdString();
}

bool SingleInstance::Listen(Handler onRequest) {
  const QString name = SocketName();
  if (name.isEmpty()) {
    toolbox::LogToCurrent("SingleInstance::Listen", __LINE__, toolbox::LogWarn,
                          "There is no runtime folder: later starts cannot hand over");
    return false;
  }
  handler = std::move(onRequest);
  server.reset(New<QLocalServer>());
  QObject::connect(server.get(), &QLocalServer::newConnection, server.get(), [this] { Accept(); });
  bool listening = server->listen(name);
  // A socket left behind by a holder that was killed: this process holds the lock now, so
  // nobody else listens there.
  if (!listening && server->serverError() == QAbstractSocket::AddressInUseError && QLocalServer::removeServer(name)) {
    listening = server->listen(name);
  }
  if (!listening) {
    toolbox::LogToCurrent("SingleInstance::Listen", __LINE__, toolbox::LogError,
                          "Cannot listen on %s: %s; later starts will say that a copy is running",
                          QFile::encodeName(name).constData(), server->errorString().toLocal8Bit().constData());
    server.reset();
  }
  return listening;
}

void SingleInstance::StopListening() { server.reset(); }

void SingleInstance::Accept() {
  while (QLocalSocket* socket = server->nextPendingConnection()) {
    // The server owns the connection until it ends.
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { Receive(socket); });
  }
}

void SingleInstance::Receive(QLocalSocket* socket) {
  if (socket->bytesAvailable() < kLengthBytes) return;
  const quint32 length = qFromBigEndian<quint32>(socket->peek(kLengthBytes).constData());
  if (length > kLongestRequest) {
    socket->abort();  // not one of ours
    return;
  }
  if (socket->bytesAvailable() < kLengthBytes + length) return;
  socket->skip(kLengthBytes);
  std::string request = socket->read(length).toStdString();
  socket->putChar(kTaken);
  socket->flush();
  // The handler may ask the user a question: it runs once this request has been answered.
  QTimer::singleShot(0, server.get(), [this, request = std::move(request)] { Offer(request); });
}

void SingleInstance::Offer(const std::string& request) {
  if (handler(request)) return;
  QTimer::singleShot(kOfferAgain, server.get(), [this, request] { Offer(request); });
}

SingleInstance::Outcome SingleInstance::HandOver(const std::string& request) {
  if (request.size() > kLongestRequest) return failed;
  const QString name = SocketName();
  const auto deadline = std::chrono::steady_clock::now() + kStartingTime;
  for (;;) {
    if (!name.isEmpty()) {
      QLocalSocket socket;
      socket.connectToServer(name);
      if (socket.waitForConnected(kAnswerMilliseconds)) return Send(socket, request) ? handedOver : failed;
    }
    // Nobody listens: the holder is still starting, or ending, or cannot listen.
    const Outcome again = Claim(path.c_str());
    if (again != running) return again;
    if (std::chrono::steady_clock::now() > deadline) {
      toolbox::LogToCurrent("SingleInstance::HandOver", __LINE__, toolbox::LogWarn,
                            "The running instance does not answer on %s", QFile::encodeName(name).constData());
      return failed;
    }
    std::this_thread::sleep_for(kRetryPause);
  }
}

}  // namespace framework
