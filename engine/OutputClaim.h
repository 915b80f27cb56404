// The four names of one file, held for the batch from the file's first step to its end, and
// what the batch itself has put at each: the only files it may ever replace or remove.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "FileSystem.h"
#include "StepCommands.h"

namespace tarv {

class OutputClaim {
public:
    // Claims the four names of the base name: taken when another run holds them or any of them
    // exists (even as a dangling link), failed when that cannot be told.
    static ClaimTry TryClaim(std::string_view baseName, std::string_view rawVideoExtension,
                             std::unique_ptr<OutputClaim>* claim);

    const OutputNames& Names() const { return m_names; }

    // Empty while every name still holds what the batch left there (nothing, or what one of
    // its steps made); otherwise what another program did, for the file's failure message.
    std::string Intrusion() const;

    // Notes the file a step has just made at one of the names.
    void RecordMade(const std::string& path);

    // Removes files the batch made that are still as it left them: the intermediates, the 3GPP
    // file, or both.
    enum class Made { Intermediates, Output, All };
    void RemoveMade(Made which);

    // Letting go of the claim frees the names for other runs; the files stay.
    ~OutputClaim() = default;
    OutputClaim(const OutputClaim&) = delete;
    OutputClaim& operator=(const OutputClaim&) = delete;

private:
    OutputClaim(OutputNames names, std::unique_ptr<NameHold> hold);
    static constexpr size_t kNames = 4;
    const std::string& PathAt(size_t index) const;  // the names in step order, output last
    int IndexOf(const std::string& path) const;

    OutputNames m_names;
    std::array<std::optional<FileIdentity>, kNames> m_made;
    std::unique_ptr<NameHold> m_hold;
};

}  // namespace tarv
