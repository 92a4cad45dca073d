#include "NetworkTestContext.h"

#include "app/AppContext.h"

#include <QTcpServer>

NetworkTestContext::NetworkTestContext()
{
    if (!AppTestSupport::installDatabase())
        return;
    m_context = std::make_unique<AppContext>(&m_ui);
    if (AppContext::isDying())
        m_context.reset();
}

NetworkTestContext::~NetworkTestContext() = default;

namespace NetworkTestSupport {

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

} // namespace NetworkTestSupport
