#pragma once

#include <QString>
#include <QTemporaryDir>

namespace telvora::test {

// A fresh data folder for one test: $TELVORA_HOME and the working directory point at
// it while the object lives, so no test touches the user's files or another test's.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
    QByteArray m_previousHome;
};

} // namespace telvora::test
