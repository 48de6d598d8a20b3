#include "framework/SingleInstance.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>

#include "framework/Exceptions.h"
#include "framework/Paths.h"
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
  const toolbox::FileLock::Result result = lock.Acquire(filePath);
  if (result == toolbox::FileLock::failed) return failed;
  // The file exists now: a link or a second spelling of the path names the same instance.
  char real[PATH_MAX];
  path = realpath(filePath, real) != nullptr ? real : filePath;
  return result == toolbox::FileLock::acquired ? claimed : running;
}

QString SingleInstance::SocketName() const {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) return {};
  const QByteArray hash =
      QCryptographicHash::hash(QByteArray::fromStdString(path), QCryptographicHash::Sha256).toHex().left(32);
  // The name only helps a person who looks; short, since a socket path has about 100 bytes.
  const QString name = QFile::decodeName(QByteArray::fromStdString(FileNameOf(path))).left(32);
  return folder + '/' + name + '-' + QString::fromLatin1(hash);
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
    toolbox::LogToCurrent("SingleInstance::Listen", __LINE__, toolbox::LogWarn, "Cannot listen on %s: %s",
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
