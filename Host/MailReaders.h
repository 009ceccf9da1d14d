// The mail-file readers behind LoadMailItem (internal to Host/).
#pragma once

#include "Host/MailItem.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace Host {

// Why a file is not taken as a mail; LoadMailItem turns it into its HRESULT and text.
class MailFileError : public std::runtime_error {
public:
    MailFileError(HRESULT hr, const std::string& message) : std::runtime_error(message), hr_(hr) {}
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_;
};

// The HRESULT of a file that is not a valid mail of its format.
constexpr HRESULT kNotAMail = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

// Each reader fills the item's properties by tag and its message from the file at the native path,
// whose size is fileSize bytes, or throws MailFileError.
void ReadMimeMail(const std::string& path, LSMailItem& item);
void ReadMsgMail(const std::string& path, std::uint64_t fileSize, LSMailItem& item);

} // namespace Host
