#include "VirtualDisplay.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int StartLimitMs = 10'000;

} // namespace

VirtualDisplay::~VirtualDisplay()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.terminate();
    if (!m_server.waitForFinished(StartLimitMs))
        m_server.kill();
    m_server.waitForFinished();
}

bool VirtualDisplay::start()
{
    // -displayfd: the server takes the first free display and says which on
    // its standard output once it accepts connections.
    m_server.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1280x900x24"_s, u"-nolisten"_s, u"tcp"_s});
    if (!m_server.waitForStarted(StartLimitMs))
        return false;
    while (!m_server.canReadLine()) {
        if (!m_server.waitForReadyRead(StartLimitMs))
            return false;
    }
    bool number = false;
    const int display = m_server.readLine().trimmed().toInt(&number);
    if (!number)
        return false;
    m_name = u":%1"_s.arg(display);
    return true;
}
