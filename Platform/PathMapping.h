// Windows-form paths to native paths. Every file call of the layer maps its path argument here.
#pragma once

#include <string>
#include <string_view>

namespace Platform {

// Accepts `\` and `/` as separators and drops a "\\?\" prefix. A drive path "X:\rest" becomes
// "/rest"; "\\?\UNC\server\share\rest" and "\\server\share\rest" become
// "$KOVA_UNC_ROOT/server/share/rest" (default root /mnt). Other paths keep their form with `/`
// separators. The result is UTF-8.
std::string NativePath(std::wstring_view windowsPath);

// The Windows form of a native absolute path whose links are resolved, as GetFinalPathNameByHandleW
// gives it: under the UNC root (itself resolved) "\\?\UNC\server\share\rest", else "\\?\C:\path".
std::wstring WindowsPath(std::string_view nativePath);

} // namespace Platform
