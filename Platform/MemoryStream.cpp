// A growable in-memory IStream (SHCreateMemStream).
#include "Platform/ComObject.h"
#include "Platform/Shlwapi.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

class MemoryStream final : public Platform::ComObject<IStream, IStream, ISequentialStream> {
public:
    explicit MemoryStream(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}

    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        if (pv == nullptr && cb != 0) {
            return STG_E_INVALIDPOINTER;
        }
        const std::size_t available = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
        const ULONG count = static_cast<ULONG>(std::min<std::size_t>(cb, available));
        if (count != 0) {
            std::memcpy(pv, bytes_.data() + position_, count);
        }
        position_ += count;
        if (pcbRead != nullptr) {
            *pcbRead = count;
        }
        return count == cb ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
        if (pv == nullptr && cb != 0) {
            return STG_E_INVALIDPOINTER;
        }
        try {
            if (position_ + cb > bytes_.size()) {
                bytes_.resize(position_ + cb);
            }
        } catch (const std::bad_alloc&) {
            return STG_E_MEDIUMFULL;
        }
        if (cb != 0) {
            std::memcpy(bytes_.data() + position_, pv, cb);
        }
        position_ += cb;
        if (pcbWritten != nullptr) {
            *pcbWritten = cb;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin,
                                   ULARGE_INTEGER* plibNewPosition) override {
        LONGLONG base = 0;
        switch (dwOrigin) {
        case STREAM_SEEK_SET:
            break;
        case STREAM_SEEK_CUR:
            base = static_cast<LONGLONG>(position_);
            break;
        case STREAM_SEEK_END:
            base = static_cast<LONGLONG>(bytes_.size());
            break;
        default:
            return STG_E_INVALIDFUNCTION;
        }
        const LONGLONG target = base + dlibMove.QuadPart;
        if (target < 0) {
            return STG_E_INVALIDFUNCTION;
        }
        position_ = static_cast<std::size_t>(target);
        if (plibNewPosition != nullptr) {
            plibNewPosition->QuadPart = position_;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER libNewSize) override {
        try {
            bytes_.resize(static_cast<std::size_t>(libNewSize.QuadPart));
            return S_OK;
        } catch (const std::exception&) {
            return STG_E_MEDIUMFULL;
        }
    }

    HRESULT STDMETHODCALLTYPE Stat(STATSTG* pstatstg, DWORD) override {
        if (pstatstg == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        *pstatstg = STATSTG{};
        pstatstg->type = STGTY_STREAM;
        pstatstg->cbSize.QuadPart = bytes_.size();
        return S_OK;
    }

private:
    std::vector<BYTE> bytes_;
    std::size_t position_ = 0;
};

} // namespace

IStream* SHCreateMemStream(const BYTE* pInit, UINT cbInit) {
    try {
        std::vector<BYTE> bytes;
        if (pInit != nullptr) {
            bytes.assign(pInit, pInit + cbInit);
        }
        return new MemoryStream(std::move(bytes));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
