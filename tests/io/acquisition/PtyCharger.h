#pragma once

#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

// A pseudo-terminal standing in for the charger: the test writes frames to
// the master, the program opens the slave through $TRELVANE_PORTS_DIR/COMn.
class PtyCharger {
public:
    // Creates the pair and the COM<portNumber> link, and points
    // TRELVANE_PORTS_DIR at its folder until destroyed.
    explicit PtyCharger(int portNumber);
    ~PtyCharger();
    PtyCharger(const PtyCharger&) = delete;
    PtyCharger& operator=(const PtyCharger&) = delete;

    bool ok() const { return master_ >= 0 && slave_ >= 0 && linked_; }
    QString portsDir() const { return dir_.path(); }

    // Writes every byte (blocking).
    void write(const std::vector<std::uint8_t>& bytes);
    // Writes what fits without blocking; returns the count written.
    int writeSome(const std::vector<std::uint8_t>& bytes);
    // Bytes waiting on the line that nobody has read yet.
    int unreadBytes() const;

private:
    QTemporaryDir dir_;
    int master_ = -1;
    int slave_ = -1; // kept open so the line keeps its data and settings
    bool linked_ = false;
    bool hadPortsDir_ = false;
    QByteArray savedPortsDir_;
};
