// Asynchronous downloads of remote files (the GIF control loads pictures given by URL).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace muto {

struct DownloadResult {
    bool ok = false;
    std::vector<uint8_t> data;  // the whole body when ok
    std::string error;          // the reason when not ok
};

class Downloader {
public:
    using Done = std::function<void(const DownloadResult&)>;

    virtual ~Downloader() = default;
    // Starts fetching `url`; `done` runs once from the event loop, never from inside get().
    // Returns an id for cancel().
    virtual int get(const std::string& url, Done done) = 0;
    // Forgets a download: its `done` never runs. Unknown or finished ids are ignored.
    virtual void cancel(int id) = 0;
};

}  // namespace muto
