#include "Platform/VariantTypes.h"

namespace Platform {

bool IsArrayElementType(VARTYPE vt) {
    return (vt >= VT_I2 && vt <= VT_UNKNOWN) || (vt >= VT_I1 && vt <= VT_UINT);
}

bool IsValidVariantType(VARTYPE vt) {
    const VARTYPE base = vt & VT_TYPEMASK;
    if ((vt & ~(VT_TYPEMASK | VT_ARRAY | VT_BYREF)) != 0) {
        return false;
    }
    if ((vt & VT_ARRAY) != 0) {
        return IsArrayElementType(base);
    }
    return base <= VT_DECIMAL || (base >= VT_I1 && base <= VT_UINT);
}

} // namespace Platform
