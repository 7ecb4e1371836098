// The platform services the model reaches through small interfaces, so that every behaviour can
// be driven by tests without a display.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/downloader.h"
#include "common/time.h"
#include "common/worker.h"

namespace muto {

// The MIDI output device. Messages are packed short messages: status in bits 0-7, first data
// byte in bits 8-15, second data byte in bits 16-23.
// The first failure to write what an output produces (a log or WAV file on a full disk).
struct OutputFailure {
    std::string file;
    std::string reason;  // in the words a message box gives
};

class MidiDevice {
public:
    virtual ~MidiDevice() = default;
    // 0 when the device is open, otherwise a non-zero code of the backend's own.
    virtual int open() = 0;
    virtual void shortMsg(uint32_t message) = 0;
    virtual void close() = 0;
    // The first write failure since the device was opened, handed out once; nothing after that,
    // and nothing for outputs that write no file. Safe to call from the event loop while another
    // thread renders.
    virtual std::optional<OutputFailure> takeFailure() { return std::nullopt; }
};

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Question, Exclamation, Critical };
enum class MsgResult { Ok, Cancel, Yes, No };

struct FileDialogRequest {
    std::string title;
    std::string initDir;
    std::string filter;  // "Text|*.ext|Other|*.a;*.b"
    std::string fileName;
    std::string defaultExt;
    int flags = 0;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MsgResult messageBox(const std::string& text, const std::string& title,
                                 MsgButtons buttons, MsgIcon icon) = 0;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
    // The chosen colour (0x00BBGGRR), or nothing when the user cancels.
    virtual std::optional<uint32_t> chooseColour(uint32_t initial, int flags) = 0;
};

// Num Lock on the keyboard; a do-nothing implementation stands in where there is none.
class KeyboardLeds {
public:
    virtual ~KeyboardLeds() = default;
    // Whether the state can be read and set at all.
    virtual bool available() = 0;
    virtual bool numLockOn() = 0;
    virtual void setNumLock(bool on) = 0;
};

enum class PictureStatus { Ok, Missing, Invalid };

// Checks that a file can be shown as a picture (BMP, JPEG or GIF).
class PictureLoader {
public:
    virtual ~PictureLoader() = default;
    // Missing: the file or its folder does not exist; Invalid: it exists but is no picture.
    virtual PictureStatus probe(const std::string& path) = 0;
};

}  // namespace muto
