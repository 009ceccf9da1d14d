// CryptoAPI hashing. One provider kind (PROV_RSA_FULL without key containers, i.e. with
// CRYPT_VERIFYCONTEXT) and one algorithm (MD5), computed by OpenSSL.
#pragma once

#include "Platform/WinTypes.h"

using HCRYPTPROV = ULONG_PTR;
using HCRYPTHASH = ULONG_PTR;
using HCRYPTKEY = ULONG_PTR;
using ALG_ID = unsigned int;

constexpr DWORD PROV_RSA_FULL = 1;
constexpr DWORD CRYPT_VERIFYCONTEXT = 0xF0000000;
inline constexpr const wchar_t* MS_DEF_PROV_W = L"Microsoft Base Cryptographic Provider v1.0";

constexpr ALG_ID CALG_MD5 = 0x00008003;

constexpr DWORD HP_ALGID = 0x0001;
constexpr DWORD HP_HASHVAL = 0x0002;
constexpr DWORD HP_HASHSIZE = 0x0004;

// The provider name may be null or MS_DEF_PROV_W; a container name needs a key store, which
// there is none of (NTE_BAD_KEYSET).
BOOL CryptAcquireContextW(HCRYPTPROV* phProv, LPCWSTR szContainer, LPCWSTR szProvider, DWORD dwProvType,
                          DWORD dwFlags);
BOOL CryptReleaseContext(HCRYPTPROV hProv, DWORD dwFlags);

// Keys are not supported: hKey must be 0.
BOOL CryptCreateHash(HCRYPTPROV hProv, ALG_ID Algid, HCRYPTKEY hKey, DWORD dwFlags, HCRYPTHASH* phHash);
// Fails with NTE_BAD_HASH_STATE once the value was read.
BOOL CryptHashData(HCRYPTHASH hHash, const BYTE* pbData, DWORD dwDataLen, DWORD dwFlags);
// HP_ALGID and HP_HASHSIZE give a DWORD, HP_HASHVAL the digest bytes. A null buffer asks for the
// size; a short buffer fails with ERROR_MORE_DATA and the size needed.
BOOL CryptGetHashParam(HCRYPTHASH hHash, DWORD dwParam, BYTE* pbData, DWORD* pdwDataLen, DWORD dwFlags);
BOOL CryptDestroyHash(HCRYPTHASH hHash);
