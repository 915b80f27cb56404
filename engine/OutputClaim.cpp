#include "OutputClaim.h"

namespace tarv {

OutputClaim::OutputClaim(OutputNames names, std::unique_ptr<NameHold> hold)
    : m_names(std::move(names)), m_hold(std::move(hold)) {}

const std::string& OutputClaim::PathAt(size_t index) const {
    switch (index) {
        case 0:
            return m_names.avi;
        case 1:
            return m_names.rawVideo;
        case 2:
            return m_names.rawAudio;
    }
    return m_names.output;
}

ClaimTry OutputClaim::TryClaim(std::string_view baseName, std::string_view rawVideoExtension,
                               std::unique_ptr<OutputClaim>* claim) {
    const std::string marker = ClaimMarkerPathOf(baseName);
    NameHold::Attempt hold = NameHold::Acquire(marker);
    if (hold.outcome == NameHold::Outcome::Taken) {
        return {ClaimTry::Result::Taken, {}};
    }
    if (hold.outcome == NameHold::Outcome::Failed) {
        return {ClaimTry::Result::Failed,
                "cannot create files in " + FolderPart(marker) + ": " + hold.error};
    }
    // Held: no other run of ours can take these names now. A file of anyone else's that is
    // already there still makes the whole set taken.
    OutputNames names = OutputNamesOf(baseName, rawVideoExtension);
    for (const std::string* path : {&names.avi, &names.rawVideo, &names.rawAudio, &names.output}) {
        const PathStatus status = StatusOf(*path);
        if (status.kind == PathStatus::Kind::Unknown) {
            return {ClaimTry::Result::Failed, "cannot use the name " + *path + ": " + status.error};
        }
        if (status.Exists()) {
            return {ClaimTry::Result::Taken, {}};
        }
    }
    claim->reset(new OutputClaim(std::move(names), std::move(hold.hold)));
    return {ClaimTry::Result::Claimed, {}};
}

int OutputClaim::IndexOf(const std::string& path) const {
    for (size_t i = 0; i < kNames; ++i) {
        if (PathAt(i) == path) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string OutputClaim::Intrusion() const {
    for (size_t i = 0; i < kNames; ++i) {
        const std::string& path = PathAt(i);
        const PathStatus status = StatusOf(path);
        if (status.kind == PathStatus::Kind::Unknown) {
            return "cannot check " + path + ": " + status.error;
        }
        if (!m_made[i] && status.Exists()) {
            return "another program put a file at " + path + "; it was left as it is";
        }
        if (m_made[i] &&
            !(status.kind == PathStatus::Kind::File && status.identity == *m_made[i])) {
            return path + " was changed or removed by another program; it was left as it is";
        }
    }
    return {};
}

void OutputClaim::RecordMade(const std::string& path) {
    const int index = IndexOf(path);
    if (index < 0) {
        return;
    }
    const PathStatus status = StatusOf(path);
    if (status.kind == PathStatus::Kind::File) {
        m_made[index] = status.identity;
    } else {
        m_made[index].reset();
    }
}

void OutputClaim::RemoveMade(Made which) {
    for (size_t i = 0; i < kNames; ++i) {
        const bool output = i == kNames - 1;
        if (!m_made[i] || (output && which == Made::Intermediates) ||
            (!output && which == Made::Output)) {
            continue;
        }
        const PathStatus status = StatusOf(PathAt(i));
        if (status.kind == PathStatus::Kind::File && status.identity == *m_made[i]) {
            RemoveFile(PathAt(i));
        }
        m_made[i].reset();
    }
}

}  // namespace tarv
