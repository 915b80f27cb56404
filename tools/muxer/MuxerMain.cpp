// The muxer: adds raw video and AAC tracks to a 3GPP file, creating it when it does not exist.
//   tarv.patch5 -c TRACK.m4v -rate=F TARGET.3gp
//   tarv.patch5 -c TRACK.aac TARGET.3gp
#include "MuxerCommand.h"
#include "ToolMain.h"
#include "TrackMuxer.h"

namespace tarv::tools {
namespace {

Status Mux(std::span<const std::string> args) {
    MuxJob job;
    if (Status s = ParseMuxerCommand(args, job); !s) {
        return s;
    }
    return RunMux(job);
}

}  // namespace
}  // namespace tarv::tools

int main(int argc, char** argv) {
    return tarv::tools::RunTool(argc, argv, tarv::tools::Mux);
}
