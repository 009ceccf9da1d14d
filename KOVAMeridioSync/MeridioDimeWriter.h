// The DIME message of an upload: record 1 the SOAP envelope (UTF-8), record 2 the file content. The
// record ids are fixed; lengths are big-endian and every field is padded with zero bytes to a
// multiple of 4.
#pragma once

#include "Platform/WinTypes.h"

#include <string_view>
#include <vector>

std::vector<BYTE> BuildUploadDimeMessage(std::string_view envelopeUtf8, const std::vector<BYTE>& content);
