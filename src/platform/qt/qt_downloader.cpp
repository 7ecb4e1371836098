#include "platform/qt/qt_downloader.h"

#include <QNetworkReply>
#include <QUrl>

#include "platform/qt/qt_convert.h"

namespace muto::qt {

QtDownloader::QtDownloader() {
    manager_.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

QtDownloader::~QtDownloader() {
    for (auto& reply : replies_)
        if (reply) {
            reply->disconnect();
            reply->abort();
            reply->deleteLater();
        }
}

int QtDownloader::get(const std::string& url, Done done) {
    const int id = ++lastId_;
    QNetworkReply* reply = manager_.get(QNetworkRequest(QUrl(text(url))));
    replies_.insert(id, reply);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 got, qint64) {
        if (got > kMaxBytes) reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, id, reply, done] {
        replies_.remove(id);
        reply->deleteLater();
        DownloadResult result;
        if (reply->error() == QNetworkReply::NoError) {
            const QByteArray body = reply->readAll();
            result.ok = true;
            result.data.assign(body.begin(), body.end());
        } else if (reply->error() == QNetworkReply::OperationCanceledError) {
            result.error = "the file is larger than " + std::to_string(kMaxBytes >> 20) + " MB";
        } else {
            result.error = utf8(reply->errorString());
        }
        if (done) done(result);
    });
    return id;
}

void QtDownloader::cancel(int id) {
    auto it = replies_.find(id);
    if (it == replies_.end()) return;
    if (QNetworkReply* reply = it.value()) {
        reply->disconnect();
        reply->abort();
        reply->deleteLater();
    }
    replies_.erase(it);
}

}  // namespace muto::qt
