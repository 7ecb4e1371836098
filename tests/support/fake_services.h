// Recording fakes of the platform services, shared by the tests and the benchmarks.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "form/form1.h"
#include "form/services.h"
#include "support/fake_time.h"
#include "support/midi_hex.h"

namespace muto::test {

class FakeMidi : public MidiDevice {
public:
    int open() override {
        ++opens;
        return openResult;
    }
    void shortMsg(uint32_t m) override {
        sent.push_back(m);
        if (onMessage) onMessage(m);
    }
    void close() override { ++closes; }
    std::optional<OutputFailure> takeFailure() override { return std::exchange(failure, {}); }

    std::vector<std::string> hex() const { return midiHex(sent); }
    std::vector<std::string> take() { return midiHex(std::exchange(sent, {})); }

    int openResult = 0;
    int opens = 0;
    int closes = 0;
    std::vector<uint32_t> sent;
    std::optional<OutputFailure> failure;
    std::function<void(uint32_t)> onMessage;
};

class FakeDialogs : public Dialogs {
public:
    struct Box {
        std::string text, title;
        MsgButtons buttons = MsgButtons::Ok;
    };
    MsgResult messageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                         MsgIcon) override {
        boxes.push_back({text, title, buttons});
        if (!answers.empty()) {
            MsgResult r = answers.front();
            answers.erase(answers.begin());
            return r;
        }
        return answer;
    }
    std::optional<std::string> openFile(const FileDialogRequest& r) override {
        requests.push_back(r);
        return nextFile();
    }
    std::optional<std::string> saveFile(const FileDialogRequest& r) override {
        requests.push_back(r);
        return nextFile();
    }
    std::optional<uint32_t> chooseColour(uint32_t, int) override { return chosenColour; }

    std::vector<Box> boxes;
    std::vector<FileDialogRequest> requests;
    MsgResult answer = MsgResult::Ok;
    std::vector<MsgResult> answers;  // taken one per box before `answer`
    std::optional<std::string> chosenFile;
    std::vector<std::optional<std::string>> files;  // taken one per dialog before `chosenFile`
    std::optional<uint32_t> chosenColour;

private:
    std::optional<std::string> nextFile() {
        if (files.empty()) return chosenFile;
        auto f = files.front();
        files.erase(files.begin());
        return f;
    }
};

class FakeLeds : public KeyboardLeds {
public:
    bool available() override { return isAvailable; }
    bool numLockOn() override { return on; }
    void setNumLock(bool v) override {
        on = v;
        ++sets;
    }
    bool isAvailable = true;
    bool on = true;
    int sets = 0;
};

// Every path counts as a valid picture unless listed otherwise.
class FakePictures : public PictureLoader {
public:
    PictureStatus probe(const std::string& path) override {
        if (missing.count(path) || missingAll) return PictureStatus::Missing;
        if (invalid.count(path)) return PictureStatus::Invalid;
        return PictureStatus::Ok;
    }
    std::set<std::string> missing, invalid;
    bool missingAll = false;
};

// Downloads that finish when the test says so.
class FakeDownloader : public Downloader {
public:
    int get(const std::string& url, Done done) override {
        pending[++lastId_] = {url, std::move(done)};
        return lastId_;
    }
    void cancel(int id) override { pending.erase(id); }
    // Finishes download `id` with `result`; false when there is no such download.
    bool finish(int id, const DownloadResult& result) {
        auto it = pending.find(id);
        if (it == pending.end()) return false;
        Done done = std::move(it->second.second);
        pending.erase(it);
        if (done) done(result);
        return true;
    }
    std::map<int, std::pair<std::string, Done>> pending;

private:
    int lastId_ = 0;
};

// Jobs that run, with their follow-ups, when the test says so.
class ManualWorker : public Worker {
public:
    void run(std::function<void()> job, std::function<void()> done) override {
        queue.emplace_back(std::move(job), std::move(done));
    }
    // Runs every job given so far, each followed by its follow-up, in order.
    void runAll() {
        while (!queue.empty()) {
            auto [job, done] = std::move(queue.front());
            queue.erase(queue.begin());
            job();
            done();
        }
    }
    std::vector<std::pair<std::function<void()>, std::function<void()>>> queue;
};

// Every service, with fakes, on one manual time line.
struct FakeServices {
    Services services(std::string programDir = "/opt/muto") {
        return Services{midi,       dialogs, time,     time,
                        downloader, leds,    pictures, std::move(programDir)};
    }
    FakeMidi midi;
    FakeDialogs dialogs;
    FakeTimers time;
    FakeDownloader downloader;
    FakeLeds leds;
    FakePictures pictures;
};

}  // namespace muto::test
