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

    QtDownloader();
    ~QtDownloader() override;
    int get(const std::string& url, Done done) override;
    void cancel(int id) override;

private:
    QNetworkAccessManager manager_;
    QHash<int, QPointer<QNetworkReply>> replies_;
    int lastId_ = 0;
};

}  // namespace muto::qt
