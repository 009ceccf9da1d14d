// The LCIDs Windows gives the common locales. A locale not listed is served by name through
// LOCALE_CUSTOM_DEFAULT, as Windows serves a custom locale.
#include "Platform/LocaleIds.h"

#include <cctype>

namespace {

struct LocaleId {
    const char* posixName;
    LCID lcid;
};

// Each language's main country comes first.
constexpr LocaleId kLocaleIds[] = {
    {"ar_SA", 0x0401}, {"ar_EG", 0x0C01}, {"ar_AE", 0x3801}, {"bg_BG", 0x0402}, {"ca_ES", 0x0403},
    {"cs_CZ", 0x0405}, {"cy_GB", 0x0452}, {"da_DK", 0x0406}, {"de_DE", 0x0407}, {"de_CH", 0x0807},
    {"de_AT", 0x0C07}, {"de_LU", 0x1007}, {"de_LI", 0x1407}, {"el_GR", 0x0408}, {"en_US", 0x0409},
    {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409}, {"en_IE", 0x1809},
    {"en_ZA", 0x1C09}, {"en_IN", 0x4009}, {"en_SG", 0x4809}, {"es_ES", 0x0C0A}, {"es_MX", 0x080A},
    {"es_VE", 0x200A}, {"es_CO", 0x240A}, {"es_PE", 0x280A}, {"es_AR", 0x2C0A}, {"es_CL", 0x340A},
    {"es_US", 0x540A}, {"et_EE", 0x0425}, {"eu_ES", 0x042D}, {"fi_FI", 0x040B}, {"fr_FR", 0x040C},
    {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"fr_LU", 0x140C}, {"ga_IE", 0x083C},
    {"gl_ES", 0x0456}, {"he_IL", 0x040D}, {"hi_IN", 0x0439}, {"hr_HR", 0x041A}, {"hu_HU", 0x040E},
    {"id_ID", 0x0421}, {"is_IS", 0x040F}, {"it_IT", 0x0410}, {"it_CH", 0x0810}, {"ja_JP", 0x0411},
    {"ko_KR", 0x0412}, {"lt_LT", 0x0427}, {"lv_LV", 0x0426}, {"ms_MY", 0x043E}, {"nb_NO", 0x0414},
    {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"nn_NO", 0x0814}, {"pl_PL", 0x0415}, {"pt_BR", 0x0416},
    {"pt_PT", 0x0816}, {"ro_RO", 0x0418}, {"ru_RU", 0x0419}, {"sk_SK", 0x041B}, {"sl_SI", 0x0424},
    {"sv_SE", 0x041D}, {"sv_FI", 0x081D}, {"th_TH", 0x041E}, {"tr_TR", 0x041F}, {"uk_UA", 0x0422},
    {"vi_VN", 0x042A}, {"zh_CN", 0x0804}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_SG", 0x1004},
};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace

namespace Platform {

LCID KnownLcid(std::string_view posixName) {
    for (const LocaleId& id : kLocaleIds) {
        if (SameIgnoringCase(posixName, id.posixName)) {
            return id.lcid;
        }
    }
    return 0;
}

LCID MainLcidOfLanguage(std::string_view language) {
    for (const LocaleId& id : kLocaleIds) {
        if (SameIgnoringCase(language, std::string_view(id.posixName).substr(0, 2))) {
            return id.lcid;
        }
    }
    return 0;
}

std::string_view PosixNameOfLcid(LCID lcid) {
    for (const LocaleId& id : kLocaleIds) {
        if (id.lcid == (lcid & 0xFFFF)) {
            return id.posixName;
        }
    }
    return {};
}

} // namespace Platform
