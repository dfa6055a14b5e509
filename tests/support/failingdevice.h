#pragma once

#include <QByteArray>
#include <QIODevice>

#include <algorithm>

// A write-only device standing for a disk that fills up: it takes the first `capacity` bytes
// written to it and fails every write after them (the write that crosses the limit is taken
// in part). It opens itself, unbuffered, so each write reaches it at once.
class FailingDevice final : public QIODevice
{
public:
    explicit FailingDevice(qint64 capacity)
        : m_capacity(capacity)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    // What the device took.
    const QByteArray& data() const { return m_data; }

    // Lets a test check that a writer stops for good after a failure even when the device
    // would take more.
    void setCapacity(qint64 capacity) { m_capacity = capacity; }

    // How many writes reached the device, the failed ones included.
    int writeCalls() const { return m_writeCalls; }

protected:
    qint64 readData(char*, qint64) override { return -1; }

    qint64 writeData(const char* data, qint64 len) override
    {
        ++m_writeCalls;
        const qint64 room = m_capacity - m_data.size();
        if (room <= 0) {
            setErrorString(QStringLiteral("Auf dem Gerät ist kein Speicherplatz mehr verfügbar"));
            return -1;
        }
        const qint64 taken = std::min(len, room);
        m_data.append(data, taken);
        return taken;
    }

private:
    QByteArray m_data;
    qint64 m_capacity;
    int m_writeCalls = 0;
};
