#pragma once

#include "app/AppTestSupport.h"

#include <memory>

class AppContext;

// The core context on a fresh database in the test's private HOME: it brings the shared
// cookie jar the requests use.
class NetworkTestContext
{
public:
    NetworkTestContext();
    ~NetworkTestContext();

    bool isReady() const { return m_context != nullptr; }

private:
    RecordingUserInterface m_ui;
    std::unique_ptr<AppContext> m_context;
};

namespace NetworkTestSupport {

// A port on 127.0.0.1 where nothing listens.
quint16 closedPort();

} // namespace NetworkTestSupport
