// ECDSA P-256 verification by BCrypt for the Windows launcher.
#include <windows.h>
#include <bcrypt.h>

#include <cstring>

#include "launcher/signature.h"

namespace {

bool ok_status(NTSTATUS s) { return s >= 0; }

// SHA-256 of the signed bytes, by the system as well.
bool sha256(const void* data, size_t len, UCHAR out[32]) {
    BCRYPT_ALG_HANDLE alg = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = ok_status(BCryptOpenAlgorithmProvider(&alg, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) &&
              ok_status(BCryptCreateHash(alg, &hash, nullptr, 0, nullptr, 0, 0));
    const UCHAR* p = static_cast<const UCHAR*>(data);
    while (ok && len) {
        const ULONG chunk = len > 0x10000000 ? 0x10000000 : (ULONG)len;
        ok = ok_status(BCryptHashData(hash, const_cast<UCHAR*>(p), chunk, 0));
        p += chunk;
        len -= chunk;
    }
    ok = ok && ok_status(BCryptFinishHash(hash, out, 32, 0));
    if (hash) BCryptDestroyHash(hash);
    if (alg) BCryptCloseAlgorithmProvider(alg, 0);
    return ok;
}

}  // namespace

bool signature_verify(const uint8_t key[LAUNCHER_KEY_BYTES], const void* data, size_t len,
                      const uint8_t sig[LAUNCHER_SIGNATURE_BYTES]) {
    if (key[0] != 0x04) return false;
    UCHAR digest[32];
    if (!sha256(data, len, digest)) return false;

    // The public blob is the header followed by X and Y.
    UCHAR blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64];
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    memcpy(blob, &header, sizeof header);
    memcpy(blob + sizeof header, key + 1, 64);

    BCRYPT_ALG_HANDLE alg = nullptr;
    BCRYPT_KEY_HANDLE handle = nullptr;
    bool ok = ok_status(BCryptOpenAlgorithmProvider(&alg, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)) &&
              ok_status(BCryptImportKeyPair(alg, nullptr, BCRYPT_ECCPUBLIC_BLOB, &handle, blob, sizeof blob, 0));
    UCHAR signature[LAUNCHER_SIGNATURE_BYTES];
    memcpy(signature, sig, sizeof signature);
    ok = ok && BCryptVerifySignature(handle, nullptr, digest, sizeof digest, signature, sizeof signature, 0) == 0;
    if (handle) BCryptDestroyKey(handle);
    if (alg) BCryptCloseAlgorithmProvider(alg, 0);
    return ok;
}
