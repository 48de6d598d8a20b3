#pragma once

#include <QDesktopServices>
#include <QObject>
#include <QUrl>
#include <string>
#include <vector>

// Takes what the program hands to the desktop, instead of a browser or an editor: while it
// lives, QDesktopServices::openUrl passes file, http and https addresses to it.
class OpenedUrls : public QObject {
  Q_OBJECT

 public:
  OpenedUrls() {
    for (const char* scheme : kSchemes) QDesktopServices::setUrlHandler(scheme, this, "Open");
  }
  ~OpenedUrls() override {
    for (const char* scheme : kSchemes) QDesktopServices::unsetUrlHandler(scheme);
  }
  OpenedUrls(const OpenedUrls&) = delete;
  OpenedUrls& operator=(const OpenedUrls&) = delete;

  // Every address opened so far, in full.
  std::vector<std::string> urls;

 public slots:
  void Open(const QUrl& url) { urls.push_back(url.toString().toStdString()); }

 private:
  static constexpr const char* kSchemes[] = {"file", "http", "https"};
};
