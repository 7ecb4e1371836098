#include "io/failure_reason.h"

#include <cerrno>
#include <cstring>

namespace muto {

std::string failureReason(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return "디스크 공간이 부족합니다";
        case EACCES:
        case EPERM:
            return "권한이 없습니다";
        case EROFS:
            return "읽기 전용 파일 시스템입니다";
        case ENOENT:
            return "파일이나 폴더가 없습니다";
        case EISDIR:
            return "같은 이름의 폴더가 있습니다";
        case EFBIG:
            return "파일이 너무 큽니다";
        default:
            return std::strerror(error);
    }
}

}  // namespace muto
