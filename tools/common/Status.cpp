#include "Status.h"

extern "C" {
#include <libavutil/error.h>
}

namespace tarv::tools {

std::string AvErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(error, text, sizeof(text)) < 0) {
        return "error " + std::to_string(error);
    }
    return text;
}

Status AvFailure(std::string_view what, int error) {
    return Status::Failure(std::string(what) + ": " + AvErrorText(error));
}

}  // namespace tarv::tools
