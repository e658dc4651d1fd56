// ECDSA P-256 verification by libcrypto for the Linux launcher.
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include "launcher/signature.h"

bool signature_verify(const uint8_t key[LAUNCHER_KEY_BYTES], const void* data, size_t len,
                      const uint8_t sig[LAUNCHER_SIGNATURE_BYTES]) {
    bool ok = false;
    EVP_PKEY* pkey = nullptr;
    EVP_PKEY_CTX* check = nullptr;
    ECDSA_SIG* s = nullptr;
    unsigned char* der = nullptr;
    int der_len = 0;
    EVP_MD_CTX* md = nullptr;
    BIGNUM *r = nullptr, *sv = nullptr;

    char group[] = "prime256v1";
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_PKEY_PARAM_GROUP_NAME, group, 0),
        OSSL_PARAM_construct_octet_string(OSSL_PKEY_PARAM_PUB_KEY, const_cast<uint8_t*>(key), LAUNCHER_KEY_BYTES),
        OSSL_PARAM_construct_end(),
    };
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr);
    if (!ctx || EVP_PKEY_fromdata_init(ctx) <= 0 || EVP_PKEY_fromdata(ctx, &pkey, EVP_PKEY_PUBLIC_KEY, params) <= 0)
        goto done;
    // A point off the curve must never take part in a verification.
    check = EVP_PKEY_CTX_new_from_pkey(nullptr, pkey, nullptr);
    if (!check || EVP_PKEY_public_check(check) != 1) goto done;

    // libcrypto wants the signature DER-encoded; the list carries r||s.
    r = BN_bin2bn(sig, 32, nullptr);
    sv = BN_bin2bn(sig + 32, 32, nullptr);
    s = ECDSA_SIG_new();
    if (!r || !sv || !s || !ECDSA_SIG_set0(s, r, sv)) goto done;
    r = sv = nullptr;  // owned by s now
    der_len = i2d_ECDSA_SIG(s, &der);
    if (der_len <= 0) goto done;

    md = EVP_MD_CTX_new();
    if (!md || EVP_DigestVerifyInit(md, nullptr, EVP_sha256(), nullptr, pkey) != 1) goto done;
    ok = EVP_DigestVerify(md, der, (size_t)der_len, static_cast<const unsigned char*>(data), len) == 1;

done:
    EVP_MD_CTX_free(md);
    OPENSSL_free(der);
    ECDSA_SIG_free(s);
    BN_free(r);
    BN_free(sv);
    EVP_PKEY_CTX_free(check);
    EVP_PKEY_free(pkey);
    EVP_PKEY_CTX_free(ctx);
    return ok;
}
