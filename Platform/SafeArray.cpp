// SAFEARRAY: a descriptor (preceded by the element type) and a separately allocated, zeroed data block.
// Bounds are stored rightmost dimension first; element indices pair with the stored bounds, the first
// varying fastest.
#include "Platform/OleAuto.h"
#include "Platform/SafeArrayShared.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <new>
#include <unordered_set>
#include <vector>

namespace {

struct ArrayBlock {
    // Set when the data belongs to someone else (SafeArrayCreateVectorOver): what keeps it alive.
    std::shared_ptr<const void>* dataOwner;
    alignas(16) VARTYPE vt;
    SAFEARRAY array;
};

constexpr std::size_t kArrayOffset = offsetof(ArrayBlock, array);

// The live arrays over shared data, so that asking an array for its data owner never reads in front of
// an array the caller made itself.
struct SharedArrays {
    std::mutex mutex;
    std::unordered_set<const SAFEARRAY*> arrays;
};

SharedArrays& LiveSharedArrays() {
    static SharedArrays* const live = new SharedArrays; // outlives arrays destroyed at exit
    return *live;
}

// Never less than the block itself, which is padded past its one bound.
std::size_t DescriptorSize(UINT dims) {
    return std::max(sizeof(ArrayBlock),
                    kArrayOffset + sizeof(SAFEARRAY) + (dims - 1) * sizeof(SAFEARRAYBOUND));
}

ArrayBlock* BlockOf(SAFEARRAY* psa) {
    return reinterpret_cast<ArrayBlock*>(reinterpret_cast<char*>(psa) - kArrayOffset);
}

// Element size of the types an array may hold; 0 for any other type.
ULONG ElementSize(VARTYPE vt) {
    switch (vt) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        return 4;
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_I8:
    case VT_UI8:
        return 8;
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
        return sizeof(void*);
    case VT_VARIANT:
        return sizeof(VARIANT);
    default:
        return 0;
    }
}

// The features of elements that must be released one by one.
constexpr USHORT kResourceFeatures = FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH | FADF_VARIANT;

USHORT FeaturesOf(VARTYPE vt) {
    switch (vt) {
    case VT_BSTR:
        return FADF_BSTR | FADF_HAVEVARTYPE;
    case VT_UNKNOWN:
        return FADF_UNKNOWN | FADF_HAVEVARTYPE;
    case VT_DISPATCH:
        return FADF_DISPATCH | FADF_HAVEVARTYPE;
    case VT_VARIANT:
        return FADF_VARIANT | FADF_HAVEVARTYPE;
    default:
        return FADF_HAVEVARTYPE;
    }
}

ULONGLONG ElementCount(const SAFEARRAY* psa) {
    ULONGLONG count = 1;
    for (USHORT i = 0; i < psa->cDims; ++i) {
        count *= psa->rgsabound[i].cElements;
    }
    return count;
}

// Allocates a descriptor with the bounds stored as given (already in stored order) and no data.
SAFEARRAY* AllocateDescriptor(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* storedBounds) {
    const ULONG elementSize = ElementSize(vt);
    if (elementSize == 0 || dims == 0 || dims > 0xFFFF) {
        return nullptr;
    }
    void* memory = std::calloc(1, DescriptorSize(dims));
    if (memory == nullptr) {
        return nullptr;
    }
    auto* block = static_cast<ArrayBlock*>(memory);
    block->vt = vt;
    SAFEARRAY* psa = &block->array;
    psa->cDims = static_cast<USHORT>(dims);
    psa->fFeatures = FeaturesOf(vt);
    psa->cbElements = elementSize;
    std::memcpy(psa->rgsabound, storedBounds, dims * sizeof(SAFEARRAYBOUND));
    return psa;
}

// A descriptor as AllocateDescriptor makes it, with zeroed data of its own.
SAFEARRAY* Allocate(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* storedBounds) {
    SAFEARRAY* psa = AllocateDescriptor(vt, dims, storedBounds);
    if (psa == nullptr) {
        return nullptr;
    }
    const ULONGLONG count = ElementCount(psa);
    if (count > 0) {
        if (count > SIZE_MAX / psa->cbElements ||
            (psa->pvData = std::calloc(count, psa->cbElements)) == nullptr) {
            std::free(BlockOf(psa));
            return nullptr;
        }
    }
    return psa;
}

void* ElementAt(SAFEARRAY* psa, ULONGLONG index) {
    return static_cast<char*>(psa->pvData) + index * psa->cbElements;
}

void ReleaseElement(SAFEARRAY* psa, void* element) {
    if ((psa->fFeatures & FADF_BSTR) != 0) {
        SysFreeString(*static_cast<BSTR*>(element));
    } else if ((psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) != 0) {
        if (auto* unknown = *static_cast<IUnknown**>(element)) {
            unknown->Release();
        }
    } else if ((psa->fFeatures & FADF_VARIANT) != 0) {
        VariantClear(static_cast<VARIANT*>(element));
    }
    std::memset(element, 0, psa->cbElements);
}

// Copies one element from source into the zeroed or released destination.
HRESULT CopyElement(const SAFEARRAY* psa, const void* source, void* destination) {
    if ((psa->fFeatures & FADF_BSTR) != 0) {
        BSTR text = *static_cast<const BSTR*>(source);
        BSTR copy = nullptr;
        if (text != nullptr && (copy = SysAllocStringByteLen(reinterpret_cast<const char*>(text),
                                                             SysStringByteLen(text))) == nullptr) {
            return E_OUTOFMEMORY;
        }
        *static_cast<BSTR*>(destination) = copy;
    } else if ((psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) != 0) {
        auto* unknown = *static_cast<IUnknown* const*>(source);
        if (unknown != nullptr) {
            unknown->AddRef();
        }
        *static_cast<IUnknown**>(destination) = unknown;
    } else if ((psa->fFeatures & FADF_VARIANT) != 0) {
        VariantInit(static_cast<VARIANT*>(destination));
        return VariantCopy(static_cast<VARIANT*>(destination), static_cast<const VARIANT*>(source));
    } else {
        std::memcpy(destination, source, psa->cbElements);
    }
    return S_OK;
}

HRESULT OffsetOf(SAFEARRAY* psa, const LONG* indices, ULONGLONG* offset) {
    ULONGLONG result = 0;
    ULONGLONG stride = 1;
    for (USHORT i = 0; i < psa->cDims; ++i) {
        const SAFEARRAYBOUND& bound = psa->rgsabound[i];
        const LONGLONG position = LONGLONG{indices[i]} - bound.lLbound;
        if (position < 0 || position >= LONGLONG{bound.cElements}) {
            return DISP_E_BADINDEX;
        }
        result += static_cast<ULONGLONG>(position) * stride;
        stride *= bound.cElements;
    }
    *offset = result;
    return S_OK;
}

// The stored bound of dimension nDim (1 = leftmost), or null when there is no such dimension.
const SAFEARRAYBOUND* BoundOf(SAFEARRAY* psa, UINT nDim) {
    if (nDim < 1 || nDim > psa->cDims) {
        return nullptr;
    }
    return &psa->rgsabound[psa->cDims - nDim];
}

} // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
    if (rgsabound == nullptr || cDims == 0 || cDims > 0xFFFF) {
        return nullptr;
    }
    // Callers list dimensions leftmost first; the descriptor keeps them the other way round.
    const std::vector<SAFEARRAYBOUND> stored(std::make_reverse_iterator(rgsabound + cDims),
                                             std::make_reverse_iterator(rgsabound));
    return Allocate(vt, cDims, stored.data());
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
    const SAFEARRAYBOUND bound{cElements, lLbound};
    return Allocate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
    if (psa == nullptr) {
        return S_OK;
    }
    if (psa->cLocks > 0) {
        return DISP_E_ARRAYISLOCKED;
    }
    ArrayBlock* block = BlockOf(psa);
    if (block->dataOwner != nullptr) {
        {
            SharedArrays& live = LiveSharedArrays();
            const std::lock_guard lock(live.mutex);
            live.arrays.erase(psa);
        }
        delete block->dataOwner;
    } else if (psa->pvData != nullptr) {
        // Plain elements (bytes, numbers) hold nothing to release.
        if ((psa->fFeatures & kResourceFeatures) != 0) {
            const ULONGLONG count = ElementCount(psa);
            for (ULONGLONG i = 0; i < count; ++i) {
                ReleaseElement(psa, ElementAt(psa, i));
            }
        }
        std::free(psa->pvData);
    }
    std::free(block);
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
    if (psa == nullptr) {
        return E_INVALIDARG;
    }
    if (psa->cLocks == 0xFFFF) {
        return E_UNEXPECTED;
    }
    ++psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
    if (psa == nullptr) {
        return E_INVALIDARG;
    }
    if (psa->cLocks == 0) {
        return E_UNEXPECTED;
    }
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
    if (psa == nullptr || ppvData == nullptr) {
        return E_INVALIDARG;
    }
    const HRESULT hr = SafeArrayLock(psa);
    *ppvData = SUCCEEDED(hr) ? psa->pvData : nullptr;
    return hr;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) {
    return SafeArrayUnlock(psa);
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
    if (psa == nullptr || plLbound == nullptr) {
        return E_INVALIDARG;
    }
    const SAFEARRAYBOUND* bound = BoundOf(psa, nDim);
    if (bound == nullptr) {
        return DISP_E_BADINDEX;
    }
    *plLbound = bound->lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
    if (psa == nullptr || plUbound == nullptr) {
        return E_INVALIDARG;
    }
    const SAFEARRAYBOUND* bound = BoundOf(psa, nDim);
    if (bound == nullptr) {
        return DISP_E_BADINDEX;
    }
    *plUbound = static_cast<LONG>(LONGLONG{bound->lLbound} + bound->cElements - 1);
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) {
    return psa == nullptr ? 0 : psa->cDims;
}

UINT SafeArrayGetElemsize(SAFEARRAY* psa) {
    return psa == nullptr ? 0 : psa->cbElements;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
    if (psa == nullptr || pvt == nullptr) {
        return E_INVALIDARG;
    }
    *pvt = BlockOf(psa)->vt;
    return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
    if (psa == nullptr || rgIndices == nullptr || pv == nullptr) {
        return E_INVALIDARG;
    }
    ULONGLONG offset = 0;
    HRESULT hr = OffsetOf(psa, rgIndices, &offset);
    if (FAILED(hr)) {
        return hr;
    }
    // Strings and interfaces are passed as the pointer itself, any other element by its address.
    const bool passedByValue = (psa->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH)) != 0;
    void* source = passedByValue ? static_cast<void*>(&pv) : pv;
    alignas(16) unsigned char fresh[sizeof(VARIANT)] = {};
    hr = CopyElement(psa, source, fresh);
    if (FAILED(hr)) {
        return hr;
    }
    void* element = ElementAt(psa, offset);
    ReleaseElement(psa, element);
    std::memcpy(element, fresh, psa->cbElements);
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
    if (psa == nullptr || rgIndices == nullptr || pv == nullptr) {
        return E_INVALIDARG;
    }
    ULONGLONG offset = 0;
    const HRESULT hr = OffsetOf(psa, rgIndices, &offset);
    if (FAILED(hr)) {
        return hr;
    }
    return CopyElement(psa, ElementAt(psa, offset), pv);
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
    if (ppsaOut == nullptr) {
        return E_INVALIDARG;
    }
    *ppsaOut = nullptr;
    if (psa == nullptr) {
        return S_OK;
    }
    SAFEARRAY* copy = Allocate(BlockOf(psa)->vt, psa->cDims, psa->rgsabound);
    if (copy == nullptr) {
        return E_OUTOFMEMORY;
    }
    const ULONGLONG count = ElementCount(psa);
    for (ULONGLONG i = 0; i < count; ++i) {
        const HRESULT hr = CopyElement(psa, ElementAt(psa, i), ElementAt(copy, i));
        if (FAILED(hr)) {
            SafeArrayDestroy(copy);
            return hr;
        }
    }
    *ppsaOut = copy;
    return S_OK;
}

namespace Platform {

SAFEARRAY* SafeArrayCreateVectorOver(VARTYPE vt, ULONG count, void* data, std::shared_ptr<const void> owner) {
    if ((FeaturesOf(vt) & kResourceFeatures) != 0) {
        return nullptr;
    }
    const SAFEARRAYBOUND bound{count, 0};
    SAFEARRAY* psa = AllocateDescriptor(vt, 1, &bound);
    if (psa == nullptr) {
        return nullptr;
    }
    ArrayBlock* block = BlockOf(psa);
    block->dataOwner = new (std::nothrow) std::shared_ptr<const void>(std::move(owner));
    if (block->dataOwner == nullptr) {
        std::free(block);
        return nullptr;
    }
    psa->pvData = count != 0 ? data : nullptr;
    try {
        SharedArrays& live = LiveSharedArrays();
        const std::lock_guard lock(live.mutex);
        live.arrays.insert(psa);
    } catch (const std::bad_alloc&) {
        delete block->dataOwner;
        std::free(block);
        return nullptr;
    }
    return psa;
}

std::shared_ptr<const void> SafeArrayDataOwner(const SAFEARRAY* psa) {
    SharedArrays& live = LiveSharedArrays();
    const std::lock_guard lock(live.mutex);
    if (live.arrays.count(psa) == 0) {
        return nullptr;
    }
    return *BlockOf(const_cast<SAFEARRAY*>(psa))->dataOwner;
}

} // namespace Platform
