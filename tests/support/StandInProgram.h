#pragma once

#include <QFile>
#include <QTemporaryDir>

// A shell script under a program's name, in a folder of its own, to be put
// first on PATH in place of the real program.
class StandInProgram
{
public:
    StandInProgram(const QString &name, const QByteArray &script)
        : m_name(name)
    {
        QFile file(m_dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write("#!/bin/sh\n" + script + '\n');
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString path() const { return m_dir.filePath(m_name); }
    // PATH with the stand-in's folder first.
    QByteArray searchPath() const { return QFile::encodeName(m_dir.path()) + ':' + qgetenv("PATH"); }

private:
    QTemporaryDir m_dir;
    QString m_name;
};
