// What became of an attempt to open a link: it opened, or the reason it did not.
#pragma once

#include <optional>

namespace tarv {

// Why a link did not open. Each reason keeps the number its message has always been known by;
// a message for a number outside this list names the number.
enum class LinkError : int {
    OutOfResources = 0,
    FileNotFound = 2,
    PathNotFound = 3,
    AccessDenied = 5,
    NotEnoughMemory = 8,
    BadFormat = 11,
    SharingViolation = 26,
    AssociationIncomplete = 27,
    DdeTimeout = 28,
    DdeFailed = 29,
    DdeBusy = 30,
    NoAssociation = 31,
    LibraryNotFound = 32,
};

class LinkResult {
public:
    static LinkResult Opened() { return LinkResult(std::nullopt); }
    static LinkResult Failed(LinkError error) { return LinkResult(error); }

    bool IsOpened() const { return !m_error.has_value(); }
    // The reason it failed; only for a result that did not open.
    LinkError Error() const { return m_error.value_or(LinkError::OutOfResources); }

    bool operator==(const LinkResult&) const = default;

private:
    explicit LinkResult(std::optional<LinkError> error) : m_error(error) {}

    std::optional<LinkError> m_error;
};

}  // namespace tarv
