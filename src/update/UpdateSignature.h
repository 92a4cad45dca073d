#pragma once

#include <QByteArray>

class QIODevice;

// Ed25519 signatures over SHA-256 digests, as the update server makes them and the program
// checks them. Keys and signatures travel base64-encoded; the functions here take raw bytes.
namespace UpdateSignature {

// The response header that carries the base64 signature of the body's digest.
constexpr char headerName[] = "X-Kestrofan-Signature";

constexpr int publicKeySize = 32;
constexpr int secretKeySize = 64;
constexpr int signatureSize = 64;

QByteArray sha256(const QByteArray& data);
// True when "signature" is the holder of "publicKey" signing exactly "digest".
bool verify(const QByteArray& publicKey, const QByteArray& digest, const QByteArray& signature);
// Empty when the secret key is unusable.
QByteArray sign(const QByteArray& secretKey, const QByteArray& digest);
bool generateKeyPair(QByteArray* publicKey, QByteArray* secretKey);
// The public half of a secret key.
QByteArray publicKeyOf(const QByteArray& secretKey);

} // namespace UpdateSignature
