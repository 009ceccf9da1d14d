#include "VantrelCommon/BrandTexts.h"

#include "VantrelCommon/LSSetting.h"
#include "VantrelCommon/ProductVersion.h"

#include <map>

namespace {

constexpr std::wstring_view kPlaceholderMark = L"!!IDS_BRAND";

using PlaceholderTable = std::map<CStdStr<wchar_t>, CStdStr<wchar_t>>;

CStdStr<wchar_t> BrandString(UINT id) {
    CStdStr<wchar_t> text;
    text.LoadString(id);
    return text;
}

PlaceholderTable& BrandPlaceholderTable() {
    static PlaceholderTable table;
    return table;
}

// Built on first use; marked built first, so that loading the brand strings (which pass through
// the replacer themselves) does not build it again.
void BuildBrandPlaceholderTable() {
    static bool built = false;
    if (built) {
        return;
    }
    built = true;
    PlaceholderTable& table = BrandPlaceholderTable();
    table[L"!!IDS_BRAND_PRODUCTNAME_LONG!!"] = BrandString(6246);
    table[L"!!IDS_BRAND_PRODUCTNAME_STORENAME!!"] = BrandString(6248);
    table[L"!!IDS_BRAND_PRODUCTNAME_REALLY_SHORT!!"] = BrandString(6249);
    table[L"!!IDS_BRAND_PRODUCTNAME_OR_CUSTOM_STORE!!"] =
        LSSetting::GetInstance()->GetUserString(L"OverrideMessageStoreName", BrandString(6249));
    table[L"!!IDS_BRAND_PRODUCTNAME_APPDIR_REALLY_SHORT!!"] = BrandString(6258);
    table[L"!!IDS_BRAND_EDITION1_LONG!!"] = BrandString(6250);
    table[L"!!IDS_BRAND_EDITION1_SHORT!!"] = BrandString(6251);
    table[L"!!IDS_BRAND_EDITION2_LONG!!"] = BrandString(6253);
    table[L"!!IDS_BRAND_EDITION2_SHORT!!"] = BrandString(6254);
    table[L"!!IDS_BRAND_ENGINE_NAME!!"] = BrandString(6257);
    table[L"!!IDS_BRAND_ADDRESS!!"] = BrandString(6255);
}

} // namespace

CStdStr<wchar_t>& ReplaceBrandPlaceholders(CStdStr<wchar_t>& text) {
    if (text.size() < kPlaceholderMark.size() || text.find(kPlaceholderMark) == std::wstring::npos) {
        return text;
    }
    BuildBrandPlaceholderTable();
    for (const auto& [placeholder, replacement] : BrandPlaceholderTable()) {
        if (placeholder.empty()) {
            continue;
        }
        for (std::size_t at = text.find(placeholder); at != std::wstring::npos;
             at = text.find(placeholder, at + replacement.size())) {
            text.replace(at, placeholder.size(), replacement);
        }
    }
    return text;
}

CStdStr<wchar_t> GetUserAgent() {
    static const CStdStr<wchar_t> userAgent = [] {
        if (LSSetting::GetInstance()->GetUserDwordConfigDetails(L"KOVA.UseKOVAUserAgent", 1).value == 0) {
            return CStdStr<wchar_t>();
        }
        CStdStr<wchar_t> version;
        version = VantrelCommon::kProductVersionText;
        version.resize(std::min<std::size_t>(version.size(), 16));
        return FormatString(BrandString(6247).c_str(), version.c_str());
    }();
    return userAgent;
}
