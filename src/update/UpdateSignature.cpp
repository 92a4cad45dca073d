#include "UpdateSignature.h"

#include <QCryptographicHash>

#include <sodium.h>

namespace {

bool sodiumReady()
{
    // sodium_init() is safe to call repeatedly and from several threads.
    static const bool ready = sodium_init() >= 0;
    return ready;
}

const unsigned char* bytes(const QByteArray& data)
{
    return reinterpret_cast<const unsigned char*>(data.constData());
}

} // namespace

QByteArray UpdateSignature::sha256(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256);
}

bool UpdateSignature::verify(
    const QByteArray& publicKey, const QByteArray& digest, const QByteArray& signature)
{
    if (!sodiumReady() || publicKey.size() != publicKeySize || signature.size() != signatureSize
        || digest.isEmpty())
        return false;
    return crypto_sign_verify_detached(
               bytes(signature), bytes(digest), quint64(digest.size()), bytes(publicKey))
        == 0;
}

QByteArray UpdateSignature::sign(const QByteArray& secretKey, const QByteArray& digest)
{
    if (!sodiumReady() || secretKey.size() != secretKeySize)
        return QByteArray();
    QByteArray signature(signatureSize, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr, bytes(digest),
        quint64(digest.size()), bytes(secretKey));
    return signature;
}

bool UpdateSignature::generateKeyPair(QByteArray* publicKey, QByteArray* secretKey)
{
    if (!sodiumReady())
        return false;
    publicKey->resize(publicKeySize);
    secretKey->resize(secretKeySize);
    return crypto_sign_keypair(reinterpret_cast<unsigned char*>(publicKey->data()),
               reinterpret_cast<unsigned char*>(secretKey->data()))
        == 0;
}

QByteArray UpdateSignature::publicKeyOf(const QByteArray& secretKey)
{
    if (!sodiumReady() || secretKey.size() != secretKeySize)
        return QByteArray();
    QByteArray publicKey(publicKeySize, '\0');
    crypto_sign_ed25519_sk_to_pk(
        reinterpret_cast<unsigned char*>(publicKey.data()), bytes(secretKey));
    return publicKey;
}
