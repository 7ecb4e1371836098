// Recording fakes of the platform services, and a fixture holding a started main window.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/form1.h"
#include "core/key_input.h"
#include "core/key_map.h"
#include "core/startup.h"
#include "display/key_display.h"

namespace muto::test {

class FakeMidi : public MidiDevice {
public:
    int open() override {
        ++opens;
        return openResult;
    }
    void shortMsg(uint32_t m) override { sent.push_back(m); }
    void close() override { ++closes; }

    // The messages as "90 3C 7F" strings, as many bytes as each message has.
    std::vector<std::string> hex() const {
        std::vector<std::string> out;
        for (uint32_t m : sent) {
            char buf[16];
            int status = m & 0xFF;
            if ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0)
                std::snprintf(buf, sizeof buf, "%02X %02X", status, (m >> 8) & 0xFF);
            else
                std::snprintf(buf, sizeof buf, "%02X %02X %02X", status, (m >> 8) & 0xFF,
                              (m >> 16) & 0xFF);
            out.emplace_back(buf);
        }
        return out;
    }
    std::vector<std::string> take() {
        auto h = hex();
        sent.clear();
        return h;
    }

    int openResult = 0;
    int opens = 0;
    int closes = 0;
    std::vector<uint32_t> sent;
};

class FakeDialogs : public Dialogs {
public:
    struct Box {
        std::string text, title;
    };
    MsgResult messageBox(const std::string& text, const std::string& title, MsgButtons,
                         MsgIcon) override {
        boxes.push_back({text, title});
        return answer;
    }
    std::optional<std::string> openFile(const FileDialogRequest& r) override {
        requests.push_back(r);
        return chosenFile;
    }
    std::optional<std::string> saveFile(const FileDialogRequest& r) override {
        requests.push_back(r);
        return chosenFile;
    }
    std::optional<uint32_t> chooseColour(uint32_t, int) override { return chosenColour; }

    std::vector<Box> boxes;
    std::vector<FileDialogRequest> requests;
    MsgResult answer = MsgResult::Ok;
    std::optional<std::string> chosenFile;
    std::optional<uint32_t> chosenColour;
};

class FakeClock : public Clock {
public:
    double secondsSinceMidnight() override { return now; }
    double now = 36000.0;
};

class FakeLeds : public KeyboardLeds {
public:
    bool available() override { return true; }
    bool numLockOn() override { return on; }
    void setNumLock(bool v) override {
        on = v;
        ++sets;
    }
    bool on = true;
    int sets = 0;
};

class FakePump : public EventPump {
public:
    void processEvents() override {
        ++runs;
        if (during) during();
    }
    int runs = 0;
    std::function<void()> during;
};

// Every path under the program folder counts as a valid picture unless listed otherwise.
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

class FormTest : public ::testing::Test {
protected:
    Form1& make() {
        form = std::make_unique<Form1>(
            Services{midi, dialogs, clock, leds, pump, pictures, "/opt/muto"});
        return *form;
    }
    // A started, shown window with the start-up messages cleared.
    Form1& started() {
        make();
        EXPECT_TRUE(form->load());
        form->show();
        midi.sent.clear();
        return *form;
    }
    void down(int vk, int shift = 0) { form->keys().Picture1_KeyDown(vk, shift); }
    void up(int vk, int shift = 0) { form->keys().Picture1_KeyUp(vk, shift); }
    void tap(int vk, int shift = 0) {
        down(vk, shift);
        up(vk, shift);
    }

    FakeMidi midi;
    FakeDialogs dialogs;
    FakeClock clock;
    FakeLeds leds;
    FakePump pump;
    FakePictures pictures;
    std::unique_ptr<Form1> form;
};

}  // namespace muto::test
