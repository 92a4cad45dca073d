#pragma once

#include <QtGlobal>

class QNetworkReply;

// A bound on the body of an answer that is kept in memory whole. The reply is aborted as soon
// as the announced length or the bytes received pass the bound, instead of buffering it all.
namespace ReplySizeLimit {

// Pages, feeds, JSON and plugin fetches.
constexpr qint64 kPageBytes = 32 * 1024 * 1024;
// Thumbnails and other pictures.
constexpr qint64 kPictureBytes = 16 * 1024 * 1024;

void apply(QNetworkReply* reply, qint64 maxBytes);
// True when the reply was aborted for passing its bound.
bool exceeded(const QNetworkReply* reply);

} // namespace ReplySizeLimit
