// Fuzz target: the config.ini reader on arbitrary bytes. Beyond not crashing, a file that reads
// completely must write back to the same values, unless a text holds a double quote or a line
// end (which the reader takes and the writer refuses).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "formats/config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace muto::settings;
    const ConfigRead read = readConfig(std::span<const uint8_t>(data, size));
    if (read.fields.size() > kConfigFieldCount) std::abort();
    if (read.failure && read.failure->field != read.fields.size()) std::abort();
    if (!read.complete()) return 0;
    if (read.fields.size() != kConfigFieldCount || read.wholeRecords() != kConfigRecordCount)
        std::abort();

    ConfigValues values;
    for (std::size_t i = 0; i < kConfigFieldCount; ++i)
        values[i] = read.fields[i];
    const ConfigWrite written = writeConfig(values);
    if (!written.ok()) {
        const auto* text = std::get_if<std::string>(&values[written.failure->field]);
        if (written.failure->error != ConfigWriteError::ForbiddenCharacter || !text ||
            text->find_first_of("\"\r\n") == std::string::npos)
            std::abort();
        return 0;
    }
    const ConfigRead again = readConfig(written.bytes);
    if (!again.complete()) std::abort();
    for (std::size_t i = 0; i < kConfigFieldCount; ++i)
        if (again.fields[i] != values[i]) std::abort();
    return 0;
}
