#include "TestEnvironment.h"

TestEnvironment::TestEnvironment()
{
    const QByteArray home = m_home.path().toLocal8Bit();
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_DESKTOP_DIR", home + "/Desktop");
    qputenv("XDG_RUNTIME_DIR", home + "/runtime");
    QDir(m_home.path()).mkpath("runtime");
    QFile::setPermissions(
        m_home.path() + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
