// Downloads through Qt Network (http, https, file and data URLs).
#pragma once

#include <QHash>
#include <QNetworkAccessManager>
#include <QPointer>

#include "common/downloader.h"

class QNetworkReply;

namespace muto::qt {

class QtDownloader : public Downloader {
public:
    // Bodies larger than this are refused rather than held in memory.
    static constexpr qint64 kMaxBytes = qint64{64} << 20;
    // A download that receives nothing for this long is given up.
    static constexpr int kStallTimeoutMs = 30000;

    explicit QtDownloader(qint64 maxBytes = kMaxBytes, int stallTimeoutMs = kStallTimeoutMs);
    ~QtDownloader() override;
    int get(const std::string& url, Done done) override;
    void cancel(int id) override;

private:
    QNetworkAccessManager manager_;
    QHash<int, QPointer<QNetworkReply>> replies_;
    int lastId_ = 0;
    qint64 maxBytes_;
    int stallTimeoutMs_;
};

}  // namespace muto::qt
