#include "tools/publier/signing.h"

#include <fcntl.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

bool point_of(EVP_PKEY* pkey, uint8_t pub[65]) {
    size_t len = 0;
    return EVP_PKEY_get_octet_string_param(pkey, OSSL_PKEY_PARAM_ENCODED_PUBLIC_KEY, pub, 65, &len) == 1 &&
           len == 65 && pub[0] == 0x04;
}

EVP_PKEY* load(const char* pem_path, std::string* error) {
    FILE* f = fopen(pem_path, "rb");
    if (!f) {
        *error = std::string("impossible de lire la clé ") + pem_path;
        return nullptr;
    }
    EVP_PKEY* pkey = PEM_read_PrivateKey(f, nullptr, nullptr, nullptr);
    fclose(f);
    char group[32] = "";
    size_t glen = 0;
    if (!pkey || !EVP_PKEY_is_a(pkey, "EC") ||
        EVP_PKEY_get_utf8_string_param(pkey, OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group, &glen) != 1 ||
        strcmp(group, "prime256v1") != 0) {
        *error = std::string(pem_path) + " n'est pas une clé privée P-256 au format PEM";
        EVP_PKEY_free(pkey);
        return nullptr;
    }
    return pkey;
}

}  // namespace

bool signing_new_key(const char* pem_path, uint8_t pub[65], std::string* error) {
    EVP_PKEY* pkey = EVP_EC_gen("P-256");
    if (!pkey || !point_of(pkey, pub)) {
        *error = "impossible de créer la paire de clés";
        EVP_PKEY_free(pkey);
        return false;
    }
    // A new file only: overwriting a key would orphan every installation that trusts it.
    const int fd = open(pem_path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    FILE* f = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (!f) {
        if (fd >= 0) close(fd);
        *error = std::string("impossible de créer ") + pem_path + " (le fichier existe-t-il déjà ?)";
        EVP_PKEY_free(pkey);
        return false;
    }
    bool ok = PEM_write_PrivateKey(f, pkey, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    ok = fflush(f) == 0 && fsync(fileno(f)) == 0 && ok;
    ok = fclose(f) == 0 && ok;
    EVP_PKEY_free(pkey);
    if (!ok) {
        unlink(pem_path);
        *error = std::string("impossible d'écrire ") + pem_path;
    }
    return ok;
}

bool signing_public_key(const char* pem_path, uint8_t pub[65], std::string* error) {
    EVP_PKEY* pkey = load(pem_path, error);
    if (!pkey) return false;
    const bool ok = point_of(pkey, pub);
    if (!ok) *error = "clé publique illisible";
    EVP_PKEY_free(pkey);
    return ok;
}

bool signing_sign(const char* pem_path, const void* data, size_t len, uint8_t sig[64], uint8_t pub[65],
                  std::string* error) {
    EVP_PKEY* pkey = load(pem_path, error);
    if (!pkey) return false;
    bool ok = point_of(pkey, pub);
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    unsigned char der[80];
    size_t der_len = sizeof der;
    ok = ok && md && EVP_DigestSignInit(md, nullptr, EVP_sha256(), nullptr, pkey) == 1 &&
         EVP_DigestSign(md, der, &der_len, static_cast<const unsigned char*>(data), len) == 1;
    ECDSA_SIG* s = nullptr;
    if (ok) {
        const unsigned char* p = der;
        s = d2i_ECDSA_SIG(nullptr, &p, (long)der_len);
        // r and s as two 32-byte big-endian numbers, leading zeros kept.
        ok = s && BN_bn2binpad(ECDSA_SIG_get0_r(s), sig, 32) == 32 &&
             BN_bn2binpad(ECDSA_SIG_get0_s(s), sig + 32, 32) == 32;
    }
    if (!ok) *error = "la signature a échoué";
    ECDSA_SIG_free(s);
    EVP_MD_CTX_free(md);
    EVP_PKEY_free(pkey);
    return ok;
}
