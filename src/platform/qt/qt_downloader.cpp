#include "platform/qt/qt_downloader.h"

#include <QNetworkReply>
#include <QUrl>
#include <memory>

#include "platform/qt/qt_convert.h"

namespace muto::qt {

QtDownloader::QtDownloader(qint64 maxBytes, int stallTimeoutMs)
    : maxBytes_(maxBytes), stallTimeoutMs_(stallTimeoutMs) {
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
    QNetworkRequest request(QUrl(text(url)));
    request.setTransferTimeout(stallTimeoutMs_);
    QNetworkReply* reply = manager_.get(request);
    replies_.insert(id, reply);
    // Set when the body passed the cap: the abort that follows is that, not a timeout.
    auto tooLarge = std::make_shared<bool>(false);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [this, reply, tooLarge](qint64 got, qint64 total) {
                         if (got > maxBytes_ || total > maxBytes_) {
                             *tooLarge = true;
                             reply->abort();
                         }
                     });
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, id, reply, done, tooLarge] {
        replies_.remove(id);
        reply->deleteLater();
        DownloadResult result;
        const QNetworkReply::NetworkError error = reply->error();
        // The last piece of a body may come with the end, before any progress is told.
        if (error == QNetworkReply::NoError && reply->bytesAvailable() > maxBytes_)
            *tooLarge = true;
        if (*tooLarge) {
            result.error = "the file is larger than " + std::to_string(maxBytes_) + " bytes";
        } else if (error == QNetworkReply::NoError) {
            const QByteArray body = reply->readAll();
            result.ok = true;
            result.data.assign(body.begin(), body.end());
        } else if (error == QNetworkReply::OperationCanceledError) {
            result.error = "nothing received for " + std::to_string(stallTimeoutMs_) + " ms";
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
