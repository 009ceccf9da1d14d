#include "kova-sync/KnownSettings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>

namespace KovaSync {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Letters to insert, remove or change to turn one name into the other, without regard to case.
std::size_t EditDistance(const std::string& from, const std::string& to) {
    const std::string a = Lower(from);
    const std::string b = Lower(to);
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

const std::vector<KnownSetting>& KnownSettings() {
    static const std::vector<KnownSetting> settings = {
        {"MeridioSync.UserName", REG_SZ, "", "the user of the explicit login; without it, the unified login"},
        {"MeridioSync.UserPassword", REG_SZ, "", "the password of the explicit login", true},
        {"MeridioSync.DMWS", REG_SZ, "http://SERVER/dmws/meridiodmws.asmx", "the DMWS service URL"},
        {"MeridioSync.RMWS", REG_SZ, "http://SERVER/rmws/meridiormws.asmx", "the RMWS service URL"},
        {"MeridioSync.SCWS", REG_SZ, "http://SERVER/scws/meridioscws.asmx", "the SCWS service URL"},
        {"MeridioSync.UseUNCFiletransfer", REG_DWORD, "0", "1: download by UNC path"},
        {"MeridioSync.CanAddFolders", REG_DWORD, "1", "0: no folders are created in the host"},
        {"MeridioSync.AlwaysInherit", REG_DWORD, "0",
         "1: a new folder or document takes the folder's access list"},
        {"MeridioSync.DeleteType", REG_DWORD, "3",
         "what a deletion removes on the server: 0 the document and the reference, 1 the document, 2 the "
         "reference, 3 the reference and, when it was the last, the document"},
        {"MeridioSync.MaxFileSizeInKB", REG_DWORD, "51200", "larger files are not uploaded"},
        {"MeridioSync.ExcludeFileRegEx", REG_SZ, "", "file names not uploaded (patterns, one a line)"},
        {"MeridioSync.PropsForView", REG_SZ, "9_1_1,9_2_3,9_2_20", "the custom properties of the view"},
        {"MeridioSync.PropsToDisplay", REG_SZ, "", "the custom properties of the property pages"},
        {"MeridioSync.SendVantrelDocLink", REG_DWORD, "1", "0: a link to a document names its location"},
        {"MeridioSync.DoDirectCopyMove", REG_DWORD, "1",
         "0: copies and moves between folders go by download and upload"},
        {"DocIdProperty", REG_SZ, "Document ID Value", "the item property a document link takes its id from"},
        {"KOVA.Log.Error", REG_DWORD, "0", "1: log errors"},
        {"KOVA.Log.Diag", REG_DWORD, "0", "1: log diagnostics (with KOVA.Log.LimitDiagDefault 1 or more)"},
        {"KOVA.Log.Perf", REG_DWORD, "0", "1: log timings"},
        {"KOVA.Log.LimitDiagDefault", REG_DWORD, "0", "the diagnostic level of modules not named below"},
        {"KOVA.Log.LimitDiagModules", REG_SZ, "", "diagnostic levels by module: module=level,..."},
        {"KOVA.Log.DeleteLogsAfterMins", REG_DWORD, "4320", "log files older than this go; 0 keeps all"},
        {"KOVA.Log.WebServiceReq", REG_DWORD, "0", "1: log the requests sent to the server"},
        {"KOVA.Log.WebServiceResp", REG_DWORD, "0", "1: log the server's replies"},
        {"KOVA.LogDir", REG_SZ, "the documents folder", "the folder of \"KOVA Logs\""},
    };
    return settings;
}

const KnownSetting* FindKnownSetting(const std::string& name) {
    const std::string wanted = Lower(name);
    for (const KnownSetting& setting : KnownSettings()) {
        if (Lower(setting.name) == wanted) {
            return &setting;
        }
    }
    return nullptr;
}

const KnownSetting& ClosestKnownSetting(const std::string& name) {
    return *std::min_element(KnownSettings().begin(), KnownSettings().end(),
                             [&](const KnownSetting& a, const KnownSetting& b) {
                                 return EditDistance(name, a.name) < EditDistance(name, b.name);
                             });
}

bool IsSecretSetting(const std::string& name) {
    const KnownSetting* known = FindKnownSetting(name);
    return (known != nullptr && known->secret) || Lower(name).find("password") != std::string::npos;
}

std::optional<DWORD> ParseDword(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* begin = text.data() + (hex ? 2 : 0);
    const char* end = text.data() + text.size();
    std::uint64_t value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value, hex ? 16 : 10);
    if (begin == end || stop != end || error != std::errc() || value > 0xFFFFFFFFULL) {
        return std::nullopt;
    }
    return static_cast<DWORD>(value);
}

std::string TypeName(DWORD type) {
    switch (type) {
    case REG_SZ:
        return "string";
    case REG_DWORD:
        return "DWORD";
    default:
        return "type " + std::to_string(type);
    }
}

} // namespace KovaSync
