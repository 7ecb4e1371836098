#include "formats/cp949.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>

namespace muto::settings {

namespace {

// One conversion with a descriptor of its own: iconv descriptors keep state and are not to be
// shared between threads, and opening one costs little next to a file's worth of text.
std::optional<std::string> convert(const char* to, const char* from, std::string_view in) {
    if (in.empty()) return std::string();
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;

    std::string out;
    // Either direction grows a character by at most a factor of two (CP949 2 bytes -> UTF-8 3
    // bytes, ASCII stays 1); the loop below grows the buffer if that ever falls short.
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());  // iconv's signature; it does not write there
    std::size_t srcLeft = in.size();
    std::size_t used = 0;
    bool ok = true;
    for (;;) {
        char* dst = out.data() + used;
        std::size_t dstLeft = out.size() - used;
        const std::size_t r = iconv(cd, srcLeft ? &src : nullptr, &srcLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            ok = false;  // EILSEQ: invalid or unrepresentable; EINVAL: cut inside a character
            break;
        }
        if (r != 0) {  // an irreversible (approximate) conversion is a failure too
            ok = false;
            break;
        }
        if (srcLeft == 0) {
            // Flush the shift state; both encodings are stateless, but do it properly.
            dst = out.data() + used;
            dstLeft = out.size() - used;
            if (iconv(cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1))
                ok = false;
            used = out.size() - dstLeft;
            break;
        }
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(used);
    return out;
}

}  // namespace

std::optional<std::string> utf8ToCp949(std::string_view utf8) {
    return convert("CP949", "UTF-8", utf8);
}

std::optional<std::string> cp949ToUtf8(std::string_view cp949) {
    return convert("UTF-8", "CP949", cp949);
}

}  // namespace muto::settings
