// The publisher's side of signed lists: key pairs and signatures made with
// libcrypto, in the forms the launcher reads (04||X||Y and r||s).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Makes a P-256 key pair, writes the private key as PEM to a new file
// (never over an existing one; readable by its owner only) and gives the
// public point. False with *error set on failure.
bool signing_new_key(const char* pem_path, uint8_t pub[65], std::string* error);
// The public point of the P-256 private key in a PEM file.
bool signing_public_key(const char* pem_path, uint8_t pub[65], std::string* error);
// ECDSA P-256 / SHA-256 signature of data as r||s, with the key's point.
bool signing_sign(const char* pem_path, const void* data, size_t len, uint8_t sig[64], uint8_t pub[65],
                  std::string* error);
