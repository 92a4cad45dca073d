#include "NetworkSession.h"

#include <atomic>

namespace {

std::atomic<CookieJar*> s_cookieJar { nullptr };

} // namespace

namespace NetworkSession {

void setCookieJar(CookieJar* jar)
{
    s_cookieJar = jar;
}

CookieJar* cookieJar()
{
    return s_cookieJar;
}

} // namespace NetworkSession
