// Key sets: the key-set editing mode and saving and loading key-set files.
#pragma once

#include <vector>

#include "formats/key_entry.h"

namespace muto {

class Form1;

// One entry for every key caption marked "s" or "f" by key-set editing, in key-code order.
std::vector<KeyEntry> alteredKeyEntries(Form1& form);
// Applies saved per-key entries to the key map as it stands: the key plays the entry's note,
// its caption shows it spelled by the flag. Keys without a caption label are skipped.
void applyKeyEntries(Form1& form, const std::vector<KeyEntry>& entries);
// Tells the user that a file could not be written, naming it and the reason.
void reportSaveFailure(Form1& form, const std::string& path, const std::string& reason);

class KeySetFiles {
public:
    explicit KeySetFiles(Form1& form) : f_(form) {}

    void chk_KeysetMode_Click();
    void cmd_KeysetSave_Click();
    void cmd_KeysetOpen_Click();

private:
    Form1& f_;
};

}  // namespace muto
