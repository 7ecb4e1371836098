#include "form/key_set_files.h"

#include "form/form1.h"
#include "form/key_display.h"
#include "form/key_input.h"
#include "form/key_map.h"
#include "formats/keyset_file.h"
#include "io/atomic_file.h"
#include "io/failure_reason.h"
#include "io/read_file.h"

namespace muto {

namespace {

constexpr int kOverwritePrompt = 2;

}  // namespace

std::vector<KeyEntry> alteredKeyEntries(Form1& f) {
    std::vector<KeyEntry> entries;
    f.lbl_KeyCaption.forEach([&](Label& cap) {
        const std::string& t = cap.tag();
        if (t != "s" && t != "f") return;
        const int k = cap.index() & 0xFF;
        entries.push_back(
            {static_cast<uint8_t>(k), f.instrument().keyNote[static_cast<size_t>(k)], t[0]});
    });
    return entries;
}

void applyKeyEntries(Form1& f, const std::vector<KeyEntry>& entries) {
    // An entry for a key that has no caption plays no note and is skipped.
    const auto applied = f.instrument().applyKeyEntries(
        entries, [&f](int k) { return f.lbl_KeyCaption.find(k) != nullptr; });
    for (const KeyEntry& e : applied) {
        Label& cap = f.lbl_KeyCaption(e.keyCode);
        cap.setCaption(f.display().noteCaption(e.note, e.flag == 's'));
        cap.setTag(std::string(1, e.flag));
        f.display().keyStaffTop[e.keyCode] = f.display().staffTopOf(e.note, e.keyCode);
    }
}

void reportSaveFailure(Form1& f, const std::string& path, const std::string& reason) {
    f.services.dialogs.messageBox(path + "\n\n파일을 저장하지 못했습니다. (" + reason + ")",
                                  "저장 실패", MsgButtons::Ok, MsgIcon::Exclamation);
}

void KeySetFiles::chk_KeysetMode_Click() {
    f_.keyboard().setEditing(f_.chk_KeysetMode.value() == 1);
    f_.setFocus(f_.Picture1);
}

void KeySetFiles::cmd_KeysetSave_Click() {
    FileDialogRequest request;
    request.title = "키설정 저장";
    request.filter = "*.vns|*.vns";
    request.flags = kOverwritePrompt;
    if (auto path = f_.services.dialogs.saveFile(request); path && !path->empty()) {
        KeySetFile file;
        file.key = static_cast<uint8_t>(f_.cmb_key.listIndex());
        file.octave1 = static_cast<uint8_t>(f_.cmb_OctShift(0).listIndex());
        file.octave2 = static_cast<uint8_t>(f_.cmb_OctShift(1).listIndex());
        file.entries = alteredKeyEntries(f_);
        if (auto saved = writeFileAtomically(*path, writeKeySet(file)); !saved.ok())
            reportSaveFailure(f_, *path, failureReason(saved.error()));
    }
    f_.setFocus(f_.Picture1);
}

void KeySetFiles::cmd_KeysetOpen_Click() {
    FileDialogRequest request;
    request.title = "키설정 열기";
    request.filter = "*.vns|*.vns";
    auto path = f_.services.dialogs.openFile(request);
    if (path && !path->empty()) {
        auto bytes = readWholeFile(*path);
        // A file that cannot be read, or holds less than the three list indices, changes
        // nothing.
        auto keySet = bytes ? readKeySet(*bytes) : ReadResult<KeySetFile>(bytes.failure());
        if (keySet) {
            f_.keyMap().cmd_KeySetDefault_Click();
            // An index a list does not have is skipped; the others still apply.
            f_.cmb_key.setListIndex(keySet->key);
            f_.cmb_OctShift(0).setListIndex(keySet->octave1);
            f_.cmb_OctShift(1).setListIndex(keySet->octave2);
            applyKeyEntries(f_, keySet->entries);
        }
    }
    f_.setFocus(f_.Picture1);
}

}  // namespace muto
