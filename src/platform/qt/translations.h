// Qt's own texts (file and colour dialogs, the overwrite prompt) in Korean, like the rest of the
// interface, whatever locale the session runs in.
#pragma once

namespace muto::qt {

// Installs Qt's Korean translation into the running application. Returns false when the
// translation file is missing (the package that carries it is not installed); Qt's texts then
// stay English.
bool installKoreanTranslation();

}  // namespace muto::qt
