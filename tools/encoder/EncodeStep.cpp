#include "EncodeStep.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "AudioTrack.h"
#include "AudioWorker.h"
#include "MediaFiles.h"
#include "PacketTimeline.h"
#include "PassBudget.h"
#include "ProgressReport.h"
#include "VideoTrack.h"

namespace tarv::tools {

namespace {

// Reading errors in a row after which the rest of the input counts as unreadable.
constexpr int kUnreadableInARow = 64;

// How far a packet's time may stray from where the one before it ended without counting as a
// leap; and beyond the file's own length, how much later a time can still be believed.
constexpr double kTimeToleranceSeconds = 1;
constexpr double kLengthSlack = 1.5;
constexpr double kLengthSlackSeconds = 10;

// Sound that ends more than this after the last picture is content, not padding.
constexpr double kLongerSoundSeconds = 0.5;

// One track's packet on its way to the track, held until its time has been judged.
struct HeldPacket {
    HeldPacket(const AVStream* stream, int64_t start, double lengthSeconds)
        : timeline(Ticks(stream, kTimeToleranceSeconds),
                   start - Ticks(stream, kTimeToleranceSeconds),
                   lengthSeconds > 0
                       ? start + Ticks(stream, lengthSeconds * kLengthSlack + kLengthSlackSeconds)
                       : std::numeric_limits<int64_t>::max()) {}

    static int64_t Ticks(const AVStream* stream, double seconds) {
        const double ticks = seconds / av_q2d(stream->time_base);
        return ticks < 9e18 ? static_cast<int64_t>(ticks) : std::numeric_limits<int64_t>::max();
    }

    PacketTimeline timeline;
    PacketPtr packet{av_packet_alloc()};
};

// Whether the stream's pictures may decode, as far as reading its start can tell: what they
// are, and their size and format, are known. (A kind this build has no decoder for is known,
// and says so when the decoder is wanted.)
bool ShapeKnown(const AVStream* stream) {
    const AVCodecParameters* par = stream->codecpar;
    if (par->codec_id == AV_CODEC_ID_NONE) {
        return false;
    }
    return !avcodec_find_decoder(par->codec_id) ||
           (par->width > 0 && par->height > 0 && par->format >= 0);
}

// Whether a decoder for the sound opens on what the file says of it, and tells its samples.
bool SoundDecodes(const AVStream* stream) {
    CodecContextPtr decoder;
    if (!OpenDecoder(stream, decoder)) {
        return false;
    }
    return decoder->sample_rate > 0 && decoder->sample_fmt != AV_SAMPLE_FMT_NONE &&
           decoder->ch_layout.nb_channels > 0;
}

// Whether the reader found streams, and knows what each of them is.
bool StreamsKnown(const AVFormatContext* input) {
    if (input->nb_streams == 0) {
        return false;
    }
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVCodecParameters* par = input->streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_UNKNOWN || par->codec_id == AV_CODEC_ID_NONE) {
            return false;
        }
    }
    return true;
}

int64_t TimeOf(const AVPacket* packet) {
    return packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
}

// Moves the packet's times; one that would leave the 64-bit range is dropped instead.
void Shift(AVPacket* packet, int64_t shift) {
    for (int64_t* time : {&packet->pts, &packet->dts}) {
        if (*time != AV_NOPTS_VALUE && __builtin_add_overflow(*time, shift, time)) {
            *time = AV_NOPTS_VALUE;
        }
    }
}

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
    // Pictures whose size or format nothing in the file tells, even looked for well into it:
    // none of them decodes. The sound, if it has any, is converted with a still picture.
    int undecodable = -1;
    if (videoIndex >= 0 && !ShapeKnown(input->streams[videoIndex])) {
        undecodable = videoIndex;
        videoIndex = -1;
    }
    int audioIndex =
        av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, videoIndex, nullptr, 0);
    // Sound whose damaged header no decoder accepts, beside pictures that decode: the pictures
    // are converted with silence, and the sound's packets count as skipped.
    int soundless = -1;
    if (videoIndex >= 0 && audioIndex >= 0 && !SoundDecodes(input->streams[audioIndex])) {
        soundless = audioIndex;
        audioIndex = -1;
    }
    if (videoIndex < 0 && audioIndex < 0) {
        if (undecodable >= 0 || !StreamsKnown(input.get())) {
            return DamageFailure(AVERROR_INVALIDDATA);
        }
        return Status::Failure(job.input + " holds no video or sound to convert");
    }
    const bool still = videoIndex < 0;
    if (undecodable >= 0) {
        cover = nullptr;
    }

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
    double soundEnd = 0;  // seconds from the start: where the sound's packets end
    auto handle = [&](AVPacket* p) -> Status {
        if (p->stream_index == videoIndex) {
            Status s = video.Feed(p, writeVideo);
            if (s && audioIndex < 0) {
                s = audio.FillSilenceUntil(video.OutputEnd(), false, writeAudio);
            }
            return s;
        }
        if (p->pts != AV_NOPTS_VALUE) {
            const AVStream* st = input->streams[audioIndex];
            const int64_t end = p->pts + std::max<int64_t>(0, p->duration);
            soundEnd = std::max(soundEnd, (end - offsetIn(audioIndex)) * av_q2d(st->time_base));
        }
        if (still) {
            if (Status s = video.ExtendStill(soundEnd, writeVideo); !s) {
                return s;
            }
        }
        return audioWorker->Push(p) ? Status::Ok() : audioWorker->Finish();
    };

    // Each track's packets wait one packet, until the next has shown whether their times can
    // be trusted.
    std::map<int, HeldPacket> held;
    for (const int index : {videoIndex, audioIndex}) {
        if (index >= 0) {
            held.try_emplace(index, input->streams[index], offsetIn(index), length);
        }
    }
    auto release = [&](HeldPacket& lane, AVPacket* incoming) -> Status {
        if (incoming) {
            if (!PacketTimeline::Usable(incoming->dts)) {
                incoming->dts = AV_NOPTS_VALUE;
            }
            if (!PacketTimeline::Usable(incoming->pts)) {
                incoming->pts = AV_NOPTS_VALUE;
            }
            // A presentation time that has come apart from its decoding time is damaged; the
            // decoder orders the picture by the other one.
            if (!lane.timeline.PresentationFits(incoming->dts, incoming->pts)) {
                incoming->pts = AV_NOPTS_VALUE;
            }
        }
        const std::optional<int64_t> shift =
            incoming ? lane.timeline.Take(TimeOf(incoming), incoming->duration)
                     : lane.timeline.Finish();
        Status s = Status::Ok();
        if (shift) {
            Shift(lane.packet.get(), *shift);
            s = handle(lane.packet.get());
            av_packet_unref(lane.packet.get());
        }
        if (incoming) {
            av_packet_move_ref(lane.packet.get(), incoming);
        }
        return s;
    };

    // Packets lost to damage before any decoder saw them.
    DamageTally lost;
    int unreadableInARow = 0;
    PacketPtr packet(av_packet_alloc());
    if (!packet) {
        return Status::Failure("out of memory");
    }
    while (true) {
        error = av_read_frame(input.get(), packet.get());
        if (error == AVERROR_EOF) {
            break;
        }
        if (error == AVERROR(ENOMEM)) {
            return AvFailure("cannot read " + job.input, error);
        }
        if (error < 0) {
            // Damage is stepped over: the reader usually finds its feet again at the next
            // packet, and one that keeps failing ends the input. At the end of the file an
            // error is a cut-off end, not damage.
            if (!avio_feof(input->pb)) {
                lost.Skip(error);
            }
            if (++unreadableInARow >= kUnreadableInARow) {
                break;
            }
            continue;
        }
        unreadableInARow = 0;
        if (packet->stream_index == undecodable || packet->stream_index == soundless) {
            lost.Skip(AVERROR_INVALIDDATA);
        }
        Status s = Status::Ok();
        if (const auto lane = held.find(packet->stream_index); lane != held.end()) {
            s = release(lane->second, packet.get());
        }
        av_packet_unref(packet.get());
        if (!s) {
            return s;
        }
        progress.Update(video.InputPosition(), video.FramesEncoded(), outputSize());
    }
    for (auto& [index, lane] : held) {
        if (Status s = release(lane, nullptr); !s) {
            return s;
        }
    }

    // Pictures lost to damage at the end are the last good one held to the end of the sound,
    // though never past the length the file gives.
    if (!still && soundEnd > 0 &&
        (video.Damage().skipped > 0 || lost.skipped > 0 || audio.DamageSeen())) {
        video.HoldUntil(length > 0 ? std::min(soundEnd, length) : soundEnd);
    }
    // Sound that goes on well past the last picture keeps that picture on to its end, as
    // players show a file whose picture stops first: cut off with the picture, the last
    // seconds of a song or a sentence were lost. A shorter overhang, such as an encoder's
    // padding, still ends with the picture.
    if (!still && soundEnd > 0) {
        if (Status s = video.Drain(writeVideo); !s) {
            return s;
        }
        const double end = length > 0 ? std::min(soundEnd, length) : soundEnd;
        if (end > video.InputEnd() + kLongerSoundSeconds) {
            video.HoldUntil(end);
        }
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
        // Pictures that are there but none of which decodes: the file is damaged.
        if (video.Damage().skipped > 0 || lost.skipped > 0) {
            return DamageFailure(video.Damage().skipped > 0 ? video.Damage().lastError
                                                            : lost.lastError);
        }
        return Status::Failure("no picture of " + job.input + " could be decoded");
    }
    if (video.FramesEncoded() == 0) {
        return Status::Failure("none of the " + std::to_string(video.FramesDecoded()) +
                               " pictures of " + job.input + " lies within its playing time");
    }
    if (audioWorker) {
        // Sound lost to damage at the end is silence to the end of the pictures.
        if (!still && (video.Damage().skipped > 0 || lost.skipped > 0 || audio.DamageSeen())) {
            audio.SilenceUntil(video.OutputEnd());
        }
        if (Status s = audioWorker->Finish(); !s) {
            return s;
        }
        // Sound alone, and none of it decodes (nor do the pictures beside it, if any).
        if (still && audio.FramesDecoded() == 0 &&
            (audio.Damage().skipped > 0 || lost.skipped > 0 || undecodable >= 0)) {
            return DamageFailure(audio.Damage().skipped > 0 ? audio.Damage().lastError
                                 : lost.skipped > 0         ? lost.lastError
                                                            : AVERROR_INVALIDDATA);
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
    const int64_t damaged = video.Damage().skipped + audio.Damage().skipped + lost.skipped;
    if (damaged > 0 && pass.writes) {
        std::printf("%lld damaged frame%s skipped\n", static_cast<long long>(damaged),
                    damaged == 1 ? "" : "s");
        std::fflush(stdout);
    }
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
