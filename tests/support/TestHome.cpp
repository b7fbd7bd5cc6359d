#include "support/TestHome.h"

#include <QDir>

namespace telvora::test {

TestHome::TestHome() : m_previousDir(QDir::currentPath()), m_previousHome(qgetenv("TELVORA_HOME"))
{
    qputenv("TELVORA_HOME", m_dir.path().toUtf8());
    QDir::setCurrent(m_dir.path());
}

TestHome::~TestHome()
{
    QDir::setCurrent(m_previousDir);
    if (m_previousHome.isNull())
        qunsetenv("TELVORA_HOME");
    else
        qputenv("TELVORA_HOME", m_previousHome);
}

} // namespace telvora::test
