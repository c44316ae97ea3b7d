#pragma once

#include <QProcess>
#include <QString>

// An X server of the cell's own (Xvfb), on a display number it finds free by
// itself; it ends with this object.
class VirtualDisplay final
{
public:
    VirtualDisplay() = default;
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay &) = delete;
    VirtualDisplay &operator=(const VirtualDisplay &) = delete;

    // False when the server did not come up.
    bool start();
    // ":N", for DISPLAY.
    QString name() const { return m_name; }

private:
    QProcess m_server;
    QString m_name;
};
