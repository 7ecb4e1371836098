#include "form/configuration.h"

#include <variant>

#include "form/form1.h"
#include "form/key_set_files.h"
#include "form/visual_options.h"
#include "formats/config_file.h"
#include "io/atomic_file.h"
#include "io/failure_reason.h"
#include "io/read_file.h"

namespace muto {

using settings::ConfigValue;
using settings::FieldProperty;
using settings::kConfigFields;

namespace {

constexpr int kLastRingChoice = 8;

// Reads the value a field saves from its control.
ConfigValue savedValue(Form1& f, const settings::ConfigField& field) {
    Control* c = f.findControl(field.control, field.index);
    switch (field.property) {
        case FieldProperty::Value:
            if (auto* box = dynamic_cast<CheckBox*>(c)) return box->value();
            if (auto* bar = dynamic_cast<ScrollBar*>(c)) return bar->value();
            return 0;
        case FieldProperty::ListIndex:
            if (auto* list = dynamic_cast<ListBox*>(c)) return list->listIndex();
            return -1;
        case FieldProperty::Tag:
            return c ? c->tag() : std::string();
        case FieldProperty::BackColour:
            if (auto* label = dynamic_cast<Label*>(c))
                return static_cast<int32_t>(label->backColor());
            return 0;
        case FieldProperty::RingColour: {
            // The indicator keeps the chosen swatch's index as text; "" when none was chosen.
            const std::string t = c ? c->tag() : std::string();
            if (t.size() == 1 && t[0] >= '0' && t[0] <= '9') return t[0] - '0';
            return settings::kNoRingColour;
        }
    }
    return 0;
}

// Gives a read value to its control, which runs the control's handler when the value changes.
// False when the control refuses the value.
bool applyField(Form1& f, std::size_t i, const ConfigValue& value) {
    const settings::ConfigField& field = kConfigFields[i];
    Control* c = f.findControl(field.control, field.index);
    const int32_t* number = std::get_if<int32_t>(&value);
    const std::string* text = std::get_if<std::string>(&value);
    switch (field.property) {
        case FieldProperty::Value:
            if (!number) return false;
            if (auto* box = dynamic_cast<CheckBox*>(c)) return box->setValue(*number);
            if (auto* bar = dynamic_cast<ScrollBar*>(c)) return bar->setValue(*number);
            return false;
        case FieldProperty::ListIndex:
            if (auto* list = dynamic_cast<ListBox*>(c); list && number)
                return *number >= 0 && list->setListIndex(*number);
            return false;
        case FieldProperty::Tag:
            if (!c || !text) return false;
            c->setTag(*text);
            return true;
        case FieldProperty::BackColour:
            // A number that names no colour (past RGB, or past the system colours) is refused.
            if (auto* label = dynamic_cast<Label*>(c);
                label && number && isColour(static_cast<Colour>(*number))) {
                label->setBackColor(static_cast<Colour>(*number));
                return true;
            }
            return false;
        case FieldProperty::RingColour: {
            if (!number) return false;
            if (*number == settings::kNoRingColour) return true;  // none chosen: left as it is
            // The choices are lbl_CircleColor(0..8): eight colours and the rainbow. The
            // indicator lbl_CircleColor(9) is no choice; its click would open the palette.
            if (*number < 0 || *number > kLastRingChoice) return false;
            Label* swatch = f.lbl_CircleColor.find(*number);
            if (!swatch) return false;
            if (swatch->onClick) swatch->onClick();
            return true;
        }
    }
    return false;
}

}  // namespace

std::string Configuration::path() const {
    return f_.programPath("\\config.ini");
}

void Configuration::readConfig() {
    auto bytes = readWholeFile(path(), 1 << 20);
    if (!bytes) return;
    const settings::ConfigRead read = settings::readConfig(*bytes);
    const std::size_t records = read.wholeRecords();
    for (int record = 1; record <= static_cast<int>(records); ++record) {
        const settings::RecordApplyOrder order = settings::applyOrderOfRecord(record);
        for (std::size_t k = 0; k < order.count; ++k) {
            const std::size_t i = order.fields[k];
            if (!applyField(f_, i, read.fields[i])) return;
        }
        // The swatch colours, once read, recolour what they stand for.
        if (record == 4)
            for (int s = 0; s < 3; ++s)
                f_.visualOptions().applyColour(s, f_.lbl_Color(s).backColor());
    }
}

void Configuration::cmd_SaveConfig_Click() {
    if (f_.services.dialogs.messageBox("프로그램 시작시 적용하기 위해 설정값을 저장하시겠습니까?",
                                       "프로그램 설정 저장", MsgButtons::YesNo,
                                       MsgIcon::Question) != MsgResult::Yes)
        return;
    settings::ConfigValues values;
    for (std::size_t i = 0; i < kConfigFields.size(); ++i)
        values[i] = savedValue(f_, kConfigFields[i]);
    const settings::ConfigWrite written = settings::writeConfig(values);
    if (!written.ok()) {
        const settings::ConfigWriteFailure& failure = *written.failure;
        const std::string* text = std::get_if<std::string>(&values[failure.field]);
        // A path with a letter the Korean Windows code page lacks is the failure users meet.
        reportSaveFailure(f_, path(),
                          failure.error == settings::ConfigWriteError::NotCp949 && text
                              ? "\"" + *text + "\"에 CP949로 나타낼 수 없는 글자가 있습니다"
                              : settings::describeField(failure.field) + ": " +
                                    std::string(settings::errorName(failure.error)));
        return;
    }
    if (auto saved = writeFileAtomically(path(), written.bytes); !saved.ok())
        reportSaveFailure(f_, path(), failureReason(saved.error()));
}

}  // namespace muto
