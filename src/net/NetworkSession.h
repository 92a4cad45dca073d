#pragma once

class CookieJar;

// What the network managers of every thread share for the run: the cookie jar. The
// composition root installs it at start-up and takes it away before deleting it; without one
// each manager keeps its own cookies.
namespace NetworkSession {

void setCookieJar(CookieJar* jar);
CookieJar* cookieJar();

} // namespace NetworkSession
