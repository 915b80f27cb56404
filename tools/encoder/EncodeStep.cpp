#include "EncodeStep.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "AudioTrack.h"
#include "AudioWorker.h"
#include "MediaFiles.h"
#include "PassBudget.h"
#include "ProgressReport.h"
#include "VideoTrack.h"

namespace tarv::tools {

namespace {

Status AddOutputStream(AVFormatContext* output, const AVCodecContext* encoder, AVStream*& out) {
    out = avformat_new_stream(output, nullptr);
    if (!out) {
        return Status::Failure("out of memory");
    }
    const int error = avcodec_parameters_from_context(out->codecpar, encoder);
    if (error < 0) {
        return AvFailure("cannot set up the AVI writer", error);
    }
    out->time_base = encoder->time_base;
    return Status::Ok();
}

// What one pass over the input found.
struct PassTally {
    double askedKbps = 0;  // what the video aimed at
    int64_t videoBytes = 0;
    int64_t audioBytes = 0;
    int64_t videoFrames = 0;
    double seconds = 0;      // the length of the frames encoded
    double inputLength = 0;  // how far the input went
};

// One pass of the encode step: the video encoder's part in it, and its share of the progress
// records, so that they run from the start to the end of the input once over all passes.
struct Pass {
    VideoPass video;
    bool writes = true;  // false for an analysis: nothing is written, only counted
    int index = 0;
    int count = 1;
    double length = 0;  // the input's length for the progress records when it names none
    // The most the written streams may take, and what they must take more than (what an
    // earlier pass's file kept takes): a pass outside leaves no file.
    int64_t bound = 0;
    int64_t least = 0;
    bool quiet = false;  // a pass run again: only its last progress record is printed
};

// Another try at the final pass never prints its records before its end: they would run the
// bar backwards.
constexpr std::chrono::hours kQuietInterval{24};
// How many times the final pass runs again when its streams came out over their bound or well
// short of it.
constexpr int kMostRetries = 3;

Status EncodePass(const EncoderJob& job, const Pass& pass, PassTally& tally) {
    InputContextPtr input;
    if (Status s = OpenMediaInput(job.input, true, input); !s) {
        return s;
    }
    // A song's or a voice memo's cover art is a video stream of one picture: it is shown as a
    // still for the length of the sound, not converted as video.
    int videoIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const AVStream* cover = nullptr;
    if (videoIndex >= 0 &&
        (input->streams[videoIndex]->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
        cover = input->streams[videoIndex];
        videoIndex = -1;
    }
    const int audioIndex =
        av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, videoIndex, nullptr, 0);
    if (videoIndex < 0 && audioIndex < 0) {
        return Status::Failure(job.input + " holds no video or sound to convert");
    }
    const bool still = videoIndex < 0;

    // Program streams and some transport streams start well after zero; the output starts at
    // zero, and both tracks move by the same amount so they stay in step.
    const int64_t start = input->start_time != AV_NOPTS_VALUE ? input->start_time : 0;
    auto offsetIn = [&](int index) {
        return av_rescale_q(start, AV_TIME_BASE_Q, input->streams[index]->time_base);
    };

    const double length = ContainerDurationSeconds(input.get());
    VideoPass videoPass = pass.video;
    if (videoPass.role == VideoPass::Role::kAnalysis && videoPass.kbps <= 0) {
        videoPass.kbps = FirstPassKbps(job.encode, length);
    }
    tally.askedKbps = videoPass.kbps;
    VideoTrack video;
    if (Status s = still ? video.OpenStill(cover, job.encode, videoPass)
                         : video.Open(input->streams[videoIndex], offsetIn(videoIndex), job.encode,
                                      videoPass);
        !s) {
        return s;
    }
    AudioTrack audio;
    Status audioOpened =
        audioIndex >= 0 ? audio.Open(input->streams[audioIndex], offsetIn(audioIndex), job.encode)
                        : audio.OpenSilent(job.encode);
    if (!audioOpened) {
        return audioOpened;
    }

    StagedOutput staged(job.output);
    OutputContextPtr output;
    // An analysis pass writes nothing: its streams only stand for the ones a file would have.
    if (pass.writes) {
        if (Status s = staged.Open("avi", output); !s) {
            return s;
        }
    } else {
        output.reset(avformat_alloc_context());
        if (!output) {
            return Status::Failure("out of memory");
        }
    }
    AVStream* videoOut = nullptr;
    AVStream* audioOut = nullptr;
    if (Status s = AddOutputStream(output.get(), video.Encoder(), videoOut); !s) {
        return s;
    }
    if (Status s = AddOutputStream(output.get(), audio.Encoder(), audioOut); !s) {
        return s;
    }
    int error = pass.writes ? avformat_write_header(output.get(), nullptr) : 0;
    if (error < 0) {
        return AvFailure("cannot write " + job.output, error);
    }

    // The audio track writes from its own thread; the writer and its interleaving queue are
    // shared, so every write and every look at the file size holds this lock.
    std::mutex writing;
    auto writeTo = [&](AVStream* stream, const AVCodecContext* encoder, int64_t shift,
                       int64_t& bytes) {
        return [&output, &writing, stream, encoder, shift, &job, &bytes,
                writes = pass.writes](AVPacket* packet) -> Status {
            // AVI cannot say that the first AAC frame only primes the decoder; its samples are
            // written from time zero, and the muxer step moves them back.
            if (packet->pts != AV_NOPTS_VALUE) {
                packet->pts += shift;
            }
            if (packet->dts != AV_NOPTS_VALUE) {
                packet->dts += shift;
            }
            packet->stream_index = stream->index;
            av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
            std::lock_guard lock(writing);
            bytes += packet->size;
            const int e = writes ? av_interleaved_write_frame(output.get(), packet) : 0;
            return e < 0 ? AvFailure("cannot write " + job.output, e) : Status::Ok();
        };
    };
    const PacketWriter writeVideo = writeTo(videoOut, video.Encoder(), 0, tally.videoBytes);
    const PacketWriter writeAudio =
        writeTo(audioOut, audio.Encoder(), audio.Encoder()->initial_padding, tally.audioBytes);

    auto outputSize = [&] {
        std::lock_guard lock(writing);
        return pass.writes ? avio_tell(output->pb) : tally.videoBytes + tally.audioBytes;
    };
    std::optional<AudioWorker> audioWorker;
    if (audioIndex >= 0) {
        audioWorker.emplace(audio, writeAudio);
    }

    ProgressPrinter progress(
        stdout, length > 0 ? length : pass.length, pass.index, pass.count,
        pass.quiet ? std::chrono::milliseconds(kQuietInterval) : std::chrono::milliseconds(500));
    double soundEnd = 0;  // seconds from the start: where a still picture must last to
    PacketPtr packet(av_packet_alloc());
    if (!packet) {
        return Status::Failure("out of memory");
    }
    while (true) {
        error = av_read_frame(input.get(), packet.get());
        if (error == AVERROR_EOF) {
            break;
        }
        if (error < 0) {
            // A truncated or damaged tail ends the input; what came before is still converted.
            if (error == AVERROR_INVALIDDATA || error == AVERROR(EIO)) {
                break;
            }
            return AvFailure("cannot read " + job.input, error);
        }
        Status s = Status::Ok();
        if (packet->stream_index == videoIndex) {
            s = video.Feed(packet.get(), writeVideo);
            if (s && audioIndex < 0) {
                s = audio.FillSilenceUntil(video.OutputEnd(), false, writeAudio);
            }
        } else if (packet->stream_index == audioIndex) {
            if (still && packet->pts != AV_NOPTS_VALUE) {
                const AVStream* st = input->streams[audioIndex];
                const int64_t end = packet->pts + std::max<int64_t>(0, packet->duration);
                soundEnd = std::max(soundEnd, (end - offsetIn(audioIndex)) * av_q2d(st->time_base));
                s = video.ExtendStill(soundEnd, writeVideo);
            }
            if (s && !audioWorker->Push(packet.get())) {
                s = audioWorker->Finish();
            }
        }
        av_packet_unref(packet.get());
        if (!s) {
            return s;
        }
        progress.Update(video.InputPosition(), video.FramesEncoded(), outputSize());
    }

    if (still) {
        // Sound whose packets name no times: the length the file gives.
        if (soundEnd <= 0) {
            soundEnd = ContainerDurationSeconds(input.get());
        }
        if (Status s = video.ExtendStill(std::max(soundEnd, 0.001), writeVideo); !s) {
            return s;
        }
    }
    if (Status s = video.Finish(writeVideo); !s) {
        return s;
    }
    if (video.FramesDecoded() == 0) {
        return Status::Failure("no picture of " + job.input + " could be decoded");
    }
    if (video.FramesEncoded() == 0) {
        return Status::Failure("none of the " + std::to_string(video.FramesDecoded()) +
                               " pictures of " + job.input + " lies within its playing time");
    }
    if (audioWorker) {
        if (Status s = audioWorker->Finish(); !s) {
            return s;
        }
    } else {
        if (Status s = audio.FillSilenceUntil(video.OutputEnd(), true, writeAudio); !s) {
            return s;
        }
        if (Status s = audio.Finish(writeAudio); !s) {
            return s;
        }
    }
    tally.videoFrames = video.FramesEncoded();
    tally.seconds = video.OutputEnd();
    tally.inputLength = video.InputEnd();
    const int64_t size = outputSize();
    const int64_t took = tally.videoBytes + tally.audioBytes;
    if (pass.bound > 0 && (took > pass.bound || took <= pass.least)) {
        return Status::Ok();  // the staged file goes with `staged`; the caller decides
    }
    if (pass.writes) {
        if (Status s = staged.Commit(output); !s) {
            return s;
        }
    }
    progress.Finish(video.InputEnd(), video.FramesEncoded(), size);
    return Status::Ok();
}

}  // namespace

Status RunEncodeStep(const EncoderJob& job) {
    PassTally tally;
    if (job.encode.streamBytes <= 0) {
        return EncodePass(job, Pass{}, tally);
    }
    // The statistics of x264's first pass lie in a folder of this run's own, gone with it.
    PassFolder folder;
    if (job.encode.family == VideoFamily::kX264) {
        if (Status s = folder.Create(); !s) {
            return s;
        }
    }
    Pass first;
    first.writes = false;
    first.count = 2;
    first.video.role = VideoPass::Role::kAnalysis;
    first.video.statsPath = folder.StatsPath();
    if (Status s = EncodePass(job, first, tally); !s) {
        return s;
    }
    Pass second = first;
    second.writes = true;
    second.index = 1;
    second.length = tally.inputLength;
    second.video.role = VideoPass::Role::kFinal;
    second.video.kbps = SecondPassKbps(
        job.encode, {tally.askedKbps, tally.videoBytes, tally.audioBytes, tally.seconds});
    second.bound = job.encode.streamBytes;
    // A rate control can still overspend on pictures it did not foresee, or fall well short of
    // its aim, and a bound is a promise: the final pass runs again for less, or for more while
    // that gains something. The file kept is the fullest within the bound.
    int64_t kept = 0;
    for (int retry = 0;; ++retry) {
        PassTally result;
        second.least = kept;
        if (Status s = EncodePass(job, second, result); !s) {
            return s;
        }
        const int64_t took = result.videoBytes + result.audioBytes;
        const int64_t keptBefore = kept;
        if (took <= job.encode.streamBytes && took > kept) {
            kept = took;
        }
        const std::optional<double> next = NextFinalKbps(
            job.encode, {result.askedKbps, result.videoBytes, result.audioBytes, result.seconds},
            keptBefore);
        if (!next || retry == kMostRetries) {
            if (kept > 0) {
                return Status::Ok();
            }
            return Status::Failure(
                "the video and sound take " + std::to_string(took) + " bytes, more than the " +
                std::to_string(job.encode.streamBytes) + " they may, even at a lower bitrate");
        }
        second.video.kbps = *next;
        second.quiet = true;
    }
}

}  // namespace tarv::tools
