#include "framework/system/SingleInstance.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QtEndian>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <optional>
#include <thread>
#include <utility>

#include "framework/base/Exceptions.h"
#include "framework/base/TextEncoding.h"
#include "framework/system/Paths.h"
#include "toolbox/base/LogSink.h"
#include "toolbox/system/Files.h"

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
// How much of another user's name a message shows: more than any login name has.
constexpr std::size_t kLongestName = 32;

// The lock file cannot be made or opened where the user may not (a program installed in a
// shared folder with a repository of the user's).
bool CannotMake(int error) { return error == EACCES || error == EPERM || error == EROFS; }

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

// Where the holder listens and later starts look for it: a socket file in the user's own
// folder, which nobody else can make first, or where the user has none, a name in Linux's
// abstract namespace, which needs no folder but is open to every user (IsThisUser then tells
// the user's own processes from others).
struct Address {
  QString name;
  bool abstract = false;
};

// Whether the folder (not a link) is the user's and nobody else may make or remove a name
// in it; closed: nobody else may even look into it (the runtime folder as the login
// session makes it). Any other is neither used, nor made, nor changed.
bool IsOwnFolder(const char* folder, bool closed) {
  struct stat status {};
  return folder != nullptr && folder[0] == '/' && lstat(folder, &status) == 0 && S_ISDIR(status.st_mode) &&
         status.st_uid == geteuid() && (status.st_mode & (closed ? 077 : 022)) == 0;
}

// The address in the user's own folder (see Address), or an abstract one where there is
// none. A folder too deep for a socket's path is reached through a descriptor of it, a short
// path: folderDescriptor, opened at the first need, is the caller's to close.
Address AddressIn(const std::string& folder, const std::string& key, int& folderDescriptor) {
  // The user's id keeps users apart; the program's name tells an administrator whose it is.
  if (folder.empty()) return {QStringLiteral("voyanta-%1-%2").arg(geteuid()).arg(QString::fromStdString(key)), true};
  std::string name = folder + '/' + key;
  // Qt keeps a byte for the terminating zero and one more within the address's path.
  if (name.size() + 2 > sizeof(sockaddr_un::sun_path)) {
    if (folderDescriptor < 0) folderDescriptor = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    name = "/proc/self/fd/" + std::to_string(folderDescriptor) + '/' + key;
  }
  return {QFile::decodeName(name.c_str()), false};
}

// As the system's tools show it: an abstract name after an "@".
QByteArray Describe(const Address& address) {
  return (address.abstract ? "@" : "") + QFile::encodeName(address.name);
}

template <typename Socket>
void UseAddress(Socket& socket, const Address& address) {
  socket.setSocketOptions(address.abstract ? Socket::AbstractNamespaceOption : Socket::NoOptions);
}

// Whether the process at the connection's other end runs as this process's user, as the
// kernel recorded it when that process connected or began to listen: nobody can forge it.
// Another user could otherwise have the holder open a file of their choosing, or take a
// later start's request and answer it. A stranger is logged with what is refused.
[[nodiscard]] bool IsThisUser(const QLocalSocket& socket, const char* function, const char* refused) {
  ucred peer{};
  socklen_t size = sizeof peer;
  const int descriptor = static_cast<int>(socket.socketDescriptor());
  const bool known = getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0;
  if (known && peer.uid == geteuid()) return true;
  toolbox::LogToCurrent(function, __LINE__, toolbox::LogWarn, "%s: the process at the other end of %s runs as user %ld",
                        refused, QFile::encodeName(socket.fullServerName()).constData(),
                        known ? static_cast<long>(peer.uid) : -1L);
  return false;
}

// What became of a request offered at the address.
enum class Delivery { nobody, stranger, taken, unanswered };

Delivery Deliver(const Address& address, const std::string& request) {
  QLocalSocket socket;
  UseAddress(socket, address);
  socket.connectToServer(address.name);
  if (!socket.waitForConnected(kAnswerMilliseconds)) return Delivery::nobody;
  if (!IsThisUser(socket, "SingleInstance::HandOver", "The request is not handed over")) return Delivery::stranger;
  return Send(socket, request) ? Delivery::taken : Delivery::unanswered;
}

}  // namespace

SingleInstance::SingleInstance(std::string fallbackFolder) : fallbackFolder(std::move(fallbackFolder)) {}

SingleInstance::~SingleInstance() {
  // The socket file goes with the server, reached through the folder's descriptor.
  server.reset();
  if (folderDescriptor >= 0) close(folderDescriptor);
}

std::string SingleInstance::OwnFolder() const {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (IsOwnFolder(runtime, true)) return runtime;
  return IsOwnFolder(fallbackFolder.c_str(), false) ? fallbackFolder : std::string();
}

SingleInstance::Outcome SingleInstance::Claim(const char* filePath) {
  unguarded = false;
  handOver = true;
  otherHolder.clear();
  bool othersMayWrite = false;
  if (!OpenDataFile(filePath, othersMayWrite)) return failed;
  // The file exists now: a link or a second spelling of the path names the same instance.
  char real[PATH_MAX];
  path = realpath(filePath, real) != nullptr ? real : filePath;
  // A copy of the user's own holds it: the request goes there.
  if (ClaimOwnLock() == toolbox::FileLock::held) return running;
  return ClaimFileLock(filePath, othersMayWrite);
}

bool SingleInstance::OpenDataFile(const char* filePath, bool& othersMayWrite) {
  failedPath = filePath;
  int error = 0;
  bool writable = false;
  const int data = toolbox::OpenForWritingElseReading(filePath, O_CREAT, error, writable);
  if (data < 0) {
    claimError = error;
    return false;
  }
  // Whether the user may write the file, and somebody else may too: then two of them could
  // write over each other's items, and a run without the file's lock would let them.
  struct stat info {};
  const bool known = fstat(data, &info) == 0;
  close(data);
  othersMayWrite = writable && known &&
                   ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0 || (info.st_uid != geteuid() && (info.st_mode & S_IWUSR) != 0));
  return true;
}

toolbox::FileLock::Result SingleInstance::ClaimOwnLock() {
  const std::string folder = OwnFolder();
  if (folder.empty()) return toolbox::FileLock::failed;
  const std::string lockPath = folder + '/' + GetKey() + ".lock";
  const toolbox::FileLock::Result result = ownLock.Acquire(lockPath.c_str());
  if (result == toolbox::FileLock::failed || result == toolbox::FileLock::unsupported) {
    toolbox::LogToCurrent("SingleInstance::Claim", __LINE__, toolbox::LogWarn, "%s cannot be locked: %s",
                          lockPath.c_str(), toolbox::DescribeFileError(ownLock.GetError()));
  }
  return result;
}

SingleInstance::Outcome SingleInstance::ClaimFileLock(const char* filePath, bool othersMayWrite) {
  const std::string lockPath = std::string(filePath) + ".lock";
  failedPath = lockPath;
  const toolbox::FileLock::Result result = lock.Acquire(lockPath.c_str(), 0, filePath);
  claimError = lock.GetError();
  if (result == toolbox::FileLock::acquired) return claimed;
  if (result == toolbox::FileLock::held) {
    LearnHolder(lockPath.c_str());
    ownLock.Release();
    return running;
  }
  // No lock beside the file. Where others may write it, they would go unguarded too.
  if (result == toolbox::FileLock::failed && (!CannotMake(claimError) || othersMayWrite)) {
    ownLock.Release();
    return failed;
  }
  if (ownLock.IsHeld()) {
    toolbox::LogToCurrent("SingleInstance::Claim", __LINE__, toolbox::LogWarn,
                          "%s cannot be locked (%s): this user's copies of the program on %s find each other "
                          "through a lock of their own",
                          lockPath.c_str(), toolbox::DescribeFileError(claimError), filePath);
    return claimed;
  }
  toolbox::LogToCurrent("SingleInstance::Claim", __LINE__, toolbox::LogWarn,
                        "%s cannot be locked (%s): a second copy of the program on %s cannot be told apart",
                        lockPath.c_str(), toolbox::DescribeFileError(claimError), filePath);
  unguarded = true;
  return claimed;
}

void SingleInstance::LearnHolder(const char* lockPath) {
  const long id = lock.GetHolderId();
  if (id >= 0 && id != static_cast<long>(geteuid())) otherHolder = ShownAsText(lock.GetHolder().Text(), kLongestName);
  // Each copy of the user's takes the own lock before the file's: with the own lock in hand,
  // no copy that could take a request holds the file, whatever the lock file says.
  handOver = otherHolder.empty() && !ownLock.IsHeld();
  if (ownLock.IsHeld() && otherHolder.empty() && id >= 0) {
    toolbox::LogToCurrent("SingleInstance::Claim", __LINE__, toolbox::LogWarn,
                          "%s names this user as its holder, but no copy of this user's here holds it", lockPath);
  }
}

std::string SingleInstance::GetKey() const {
  return QCryptographicHash::hash(QByteArray::fromStdString(path), QCryptographicHash::Sha256)
      .toHex()
      .left(32)
      .toStdString();
}

bool SingleInstance::Listen(Handler onRequest) {
  const Address address = AddressIn(OwnFolder(), GetKey(), folderDescriptor);
  handler = std::move(onRequest);
  server.reset(New<QLocalServer>());
  UseAddress(*server, address);
  QObject::connect(server.get(), &QLocalServer::newConnection, server.get(), [this] { Accept(); });
  bool listening = server->listen(address.name);
  // A socket file left behind by a holder that was killed: this process holds the lock now,
  // so nobody else listens there. An abstract name ends with its last socket: one in use is
  // another user's, who keeps it.
  if (!listening && !address.abstract && server->serverError() == QAbstractSocket::AddressInUseError &&
      QLocalServer::removeServer(address.name)) {
    listening = server->listen(address.name);
  }
  if (!listening) {
    toolbox::LogToCurrent("SingleInstance::Listen", __LINE__, toolbox::LogError,
                          "Cannot listen on %s: %s; later starts will say that a copy is running",
                          Describe(address).constData(), server->errorString().toLocal8Bit().constData());
    server.reset();
  }
  return listening;
}

void SingleInstance::StopListening() { server.reset(); }

void SingleInstance::Accept() {
  while (QLocalSocket* socket = server->nextPendingConnection()) {
    if (!IsThisUser(*socket, "SingleInstance::Accept", "A request is refused")) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
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
  const Address address = AddressIn(OwnFolder(), GetKey(), folderDescriptor);
  const auto deadline = std::chrono::steady_clock::now() + kStartingTime;
  for (;;) {
    const Delivery delivery = Deliver(address, request);
    if (delivery == Delivery::taken) return handedOver;
    if (delivery == Delivery::unanswered) return failed;
    // Nobody of this user listens: the holder is still starting, or ending, or cannot listen.
    const Outcome again = Claim(path.c_str());
    if (again != running) return again;
    if (!handOver) return failed;  // a copy that takes no request has it now
    // While another user's process has the name, the holder never gets it: no use waiting.
    if (delivery == Delivery::stranger) return failed;
    if (std::chrono::steady_clock::now() > deadline) {
      toolbox::LogToCurrent("SingleInstance::HandOver", __LINE__, toolbox::LogWarn,
                            "The running instance does not answer on %s", Describe(address).constData());
      return failed;
    }
    std::this_thread::sleep_for(kRetryPause);
  }
}

}  // namespace framework
