// CryptoAPI hashing over OpenSSL's EVP digests.
#include "Platform/WinBase.h"
#include "Platform/WinCrypt.h"
#include "Platform/WinError.h"

#include <openssl/evp.h>

#include <cstring>
#include <cwchar>
#include <memory>

namespace {

constexpr DWORD kMd5Size = 16;

struct Provider {
    static constexpr DWORD kTag = 0x50524F56; // identifies live provider handles
    DWORD tag = kTag;
};

struct EvpContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

struct Hash {
    static constexpr DWORD kTag = 0x48415348;
    DWORD tag = kTag;
    std::unique_ptr<EVP_MD_CTX, EvpContextDeleter> context{EVP_MD_CTX_new()};
    bool finished = false;
    unsigned char digest[EVP_MAX_MD_SIZE] = {};
};

// MD5 fetched once for the process: a digest started with EVP_md5() looks it up in the provider each
// time, which costs more than hashing a short text.
const EVP_MD* Md5() {
    static EVP_MD* const md5 = EVP_MD_fetch(nullptr, "MD5", nullptr);
    return md5;
}

BOOL Fail(HRESULT error) {
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
}

template <class Object> Object* FromHandle(ULONG_PTR handle) {
    auto* object = reinterpret_cast<Object*>(handle);
    return object != nullptr && object->tag == Object::kTag ? object : nullptr;
}

template <class Object> void Destroy(Object* object) {
    object->tag = 0;
    delete object;
}

// Copies a parameter into the caller's buffer with CryptoAPI's size protocol.
BOOL CopyOut(const void* value, DWORD size, BYTE* data, DWORD* dataLength) {
    if (data == nullptr) {
        *dataLength = size;
        return TRUE;
    }
    if (*dataLength < size) {
        *dataLength = size;
        return Fail(static_cast<HRESULT>(ERROR_MORE_DATA));
    }
    std::memcpy(data, value, size);
    *dataLength = size;
    return TRUE;
}

} // namespace

BOOL CryptAcquireContextW(HCRYPTPROV* phProv, LPCWSTR szContainer, LPCWSTR szProvider, DWORD dwProvType,
                          DWORD dwFlags) {
    if (phProv == nullptr) {
        return Fail(static_cast<HRESULT>(ERROR_INVALID_PARAMETER));
    }
    if (szProvider != nullptr && std::wcscmp(szProvider, MS_DEF_PROV_W) != 0) {
        return Fail(NTE_KEYSET_NOT_DEF);
    }
    if (dwProvType != PROV_RSA_FULL) {
        return Fail(NTE_BAD_PROV_TYPE);
    }
    if (dwFlags != CRYPT_VERIFYCONTEXT || szContainer != nullptr) {
        return Fail(NTE_BAD_KEYSET);
    }
    *phProv = reinterpret_cast<HCRYPTPROV>(new Provider());
    return TRUE;
}

BOOL CryptReleaseContext(HCRYPTPROV hProv, DWORD dwFlags) {
    auto* provider = FromHandle<Provider>(hProv);
    if (provider == nullptr) {
        return Fail(NTE_BAD_UID);
    }
    if (dwFlags != 0) {
        return Fail(NTE_BAD_FLAGS);
    }
    Destroy(provider);
    return TRUE;
}

BOOL CryptCreateHash(HCRYPTPROV hProv, ALG_ID Algid, HCRYPTKEY hKey, DWORD dwFlags, HCRYPTHASH* phHash) {
    if (FromHandle<Provider>(hProv) == nullptr) {
        return Fail(NTE_BAD_UID);
    }
    if (phHash == nullptr) {
        return Fail(static_cast<HRESULT>(ERROR_INVALID_PARAMETER));
    }
    if (Algid != CALG_MD5) {
        return Fail(NTE_BAD_ALGID);
    }
    if (hKey != 0) {
        return Fail(NTE_BAD_KEY);
    }
    if (dwFlags != 0) {
        return Fail(NTE_BAD_FLAGS);
    }
    auto hash = std::make_unique<Hash>();
    if (!hash->context || Md5() == nullptr || EVP_DigestInit_ex(hash->context.get(), Md5(), nullptr) != 1) {
        return Fail(static_cast<HRESULT>(ERROR_NOT_ENOUGH_MEMORY));
    }
    *phHash = reinterpret_cast<HCRYPTHASH>(hash.release());
    return TRUE;
}

BOOL CryptHashData(HCRYPTHASH hHash, const BYTE* pbData, DWORD dwDataLen, DWORD dwFlags) {
    auto* hash = FromHandle<Hash>(hHash);
    if (hash == nullptr) {
        return Fail(NTE_BAD_HASH);
    }
    if (dwFlags != 0) {
        return Fail(NTE_BAD_FLAGS);
    }
    if (pbData == nullptr && dwDataLen != 0) {
        return Fail(static_cast<HRESULT>(ERROR_INVALID_PARAMETER));
    }
    if (hash->finished) {
        return Fail(NTE_BAD_HASH_STATE);
    }
    if (dwDataLen != 0 && EVP_DigestUpdate(hash->context.get(), pbData, dwDataLen) != 1) {
        return Fail(NTE_BAD_HASH);
    }
    return TRUE;
}

BOOL CryptGetHashParam(HCRYPTHASH hHash, DWORD dwParam, BYTE* pbData, DWORD* pdwDataLen, DWORD dwFlags) {
    auto* hash = FromHandle<Hash>(hHash);
    if (hash == nullptr) {
        return Fail(NTE_BAD_HASH);
    }
    if (pdwDataLen == nullptr) {
        return Fail(static_cast<HRESULT>(ERROR_INVALID_PARAMETER));
    }
    if (dwFlags != 0) {
        return Fail(NTE_BAD_FLAGS);
    }
    switch (dwParam) {
    case HP_ALGID: {
        const DWORD algorithm = CALG_MD5;
        return CopyOut(&algorithm, sizeof algorithm, pbData, pdwDataLen);
    }
    case HP_HASHSIZE:
        return CopyOut(&kMd5Size, sizeof kMd5Size, pbData, pdwDataLen);
    case HP_HASHVAL:
        if (pbData != nullptr && *pdwDataLen >= kMd5Size && !hash->finished) {
            unsigned int length = 0;
            if (EVP_DigestFinal_ex(hash->context.get(), hash->digest, &length) != 1 || length != kMd5Size) {
                return Fail(NTE_BAD_HASH);
            }
            hash->finished = true;
        }
        return CopyOut(hash->digest, kMd5Size, pbData, pdwDataLen);
    default:
        return Fail(NTE_BAD_TYPE);
    }
}

BOOL CryptDestroyHash(HCRYPTHASH hHash) {
    auto* hash = FromHandle<Hash>(hHash);
    if (hash == nullptr) {
        return Fail(NTE_BAD_HASH);
    }
    Destroy(hash);
    return TRUE;
}
