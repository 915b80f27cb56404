#include "Status.h"

extern "C" {
#include <libavutil/error.h>
}

namespace tarv::tools {

std::string AvErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(error, text, sizeof(text)) < 0) {
        return "an error the decoding library does not describe (code " + std::to_string(error) +
               ")";
    }
    return text;
}

Status AvFailure(std::string_view what, int error) {
    return Status::Failure(std::string(what) + ": " + AvErrorText(error));
}

Status DamageFailure(int error) {
    return Status::Failure("the file is damaged: " +
                           (error < 0 ? AvErrorText(error) : std::string("nothing in it decodes")));
}

}  // namespace tarv::tools
