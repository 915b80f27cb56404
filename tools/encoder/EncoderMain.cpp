// The encoder: encodes an input into an AVI, or copies the AVI's video or audio stream out
// into a raw track file.
//   tarv.patch4 -af volnorm -srate R -vf-add scale=W:H,harddup -ofps F -oac faac
//               -faacopts br=K:mpeg=4:object=2 -ovc xvid -xvidencopts bitrate=K:max_bframes=0
//               INPUT -o OUTPUT.avi
//   tarv.patch4 -ovc copy -nosound -of rawvideo INPUT.avi -o OUTPUT.m4v
//   tarv.patch4 -ovc frameno -oac copy -of rawaudio INPUT.avi -o OUTPUT.aac
#include "EncodeStep.h"
#include "EncoderCommand.h"
#include "RawCopyStep.h"
#include "ToolMain.h"

namespace tarv::tools {
namespace {

Status Encode(std::span<const std::string> args) {
    EncoderJob job;
    if (Status s = ParseEncoderCommand(args, PathExists, job); !s) {
        return s;
    }
    return job.mode == EncoderMode::kEncode ? RunEncodeStep(job) : RunRawCopyStep(job);
}

}  // namespace
}  // namespace tarv::tools

int main(int argc, char** argv) {
    return tarv::tools::RunTool(argc, argv, tarv::tools::Encode);
}
